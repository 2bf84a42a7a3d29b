#include "Localization.h"

#include <QCoreApplication>
#include <QTranslator>

#include <gtest/gtest.h>

namespace {

// A translation table with one entry.
struct OneEntryTranslator : QTranslator
{
    OneEntryTranslator(const char *key, QString text) : key(key), text(std::move(text)) {}
    QString translate(const char *, const char *sourceText, const char *, int) const override
    {
        return qstrcmp(sourceText, key) == 0 ? text : QString();
    }
    bool isEmpty() const override { return false; }
    const char *key;
    QString text;
};

} // namespace

// Texts and integers are formatted in one pass: a title that itself looks like a placeholder is
// not substituted again. A table entry replaces its key only; a faulty one never misbehaves.
TEST(Localization, FormatsInOnePassAndLooksKeysUpInTheTable)
{
    EXPECT_EQ(L("曲库"), QStringLiteral("曲库")); // without a table the key is shown
    EXPECT_EQ(L("播放列表分区"), QStringLiteral("播放列表")); // but for a key that is a name
    EXPECT_EQ(L("上一首（⌘←）"), QStringLiteral("上一首（Ctrl+←）"));
    EXPECT_EQ(Lf("正在写入 %d/%d…", 3, 12), QStringLiteral("正在写入 3/12…"));
    EXPECT_EQ(Lf("%@ 和 %@", QStringLiteral("%@"), QStringLiteral("B")), QStringLiteral("%@ 和 B"));
    EXPECT_EQ(Lf("共 %lld 首，100%%", qint64(100000)), QStringLiteral("共 100000 首，100%"));
    EXPECT_EQ(Localization::format(QStringLiteral("50% %x %"), {}), QStringLiteral("50% %x %"));

    OneEntryTranslator translator("播放列表分区", QStringLiteral("Playlists"));
    QCoreApplication::installTranslator(&translator);
    EXPECT_EQ(L("播放列表分区"), QStringLiteral("Playlists"));
    EXPECT_EQ(L("播放列表"), QStringLiteral("播放列表"));
    QCoreApplication::removeTranslator(&translator);

    OneEntryTranslator faulty("已导入 %d 首", QStringLiteral("Imported %@ of %d, %lld"));
    QCoreApplication::installTranslator(&faulty);
    // The text placeholder gets an integer: kept literally; the missing arguments become empty.
    EXPECT_EQ(Lf("已导入 %d 首", 7), QStringLiteral("Imported %@ of , "));
    QCoreApplication::removeTranslator(&faulty);
}
