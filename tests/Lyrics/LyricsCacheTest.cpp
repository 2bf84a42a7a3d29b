#include "Lyrics/LyricsCache.h"

#include "Support/FaultInjectingFileOperations.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QUuid>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <limits>
#include <sys/stat.h>

namespace {

const Lyrics synced { { { 1.5, u"一"_qs }, { 3, u"two"_qs } }, true };

class LyricsCacheTest : public ::testing::Test
{
protected:
    FileLocation folder() const
    {
        return FileLocation::fromLocalFile(m_root.path()).appending(QStringLiteral("lyrics"));
    }
    QString filePath(const QString &name) const { return m_root.filePath(QStringLiteral("lyrics/") + name); }
    QStringList fileNames() const
    {
        return QDir(m_root.filePath(QStringLiteral("lyrics"))).entryList(QDir::Files);
    }

    void writeFile(const QString &name, const QByteArray &bytes)
    {
        QDir(m_root.path()).mkpath(QStringLiteral("lyrics"));
        QFile file(filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    static QString entryName(const QString &key)
    {
        return QString::fromLatin1(QCryptographicHash::hash(key.toUtf8(), QCryptographicHash::Sha256).toHex())
            + QStringLiteral(".json");
    }

    QTemporaryDir m_root;
    LyricsCache m_cache { folder() };
};

TEST_F(LyricsCacheTest, SpellingVariantsShareOneEntry)
{
    ASSERT_TRUE(m_cache.save(synced, u"Song"_qs, u"ABC"_qs, 200.4));
    EXPECT_EQ(m_cache.load(u" song\n"_qs, u"abc"_qs, 199.5), synced);
    EXPECT_EQ(fileNames(), QStringList { entryName(u"song\u001Fabc\u001F200"_qs) });
}

TEST_F(LyricsCacheTest, KeyIsTrimmedLowerCasedAndRounded)
{
    ASSERT_TRUE(m_cache.save(synced, u"  Hello "_qs, u"ADELE"_qs, 295.4));
    EXPECT_EQ(fileNames(), QStringList { entryName(u"hello\u001Fadele\u001F295"_qs) });
    ASSERT_TRUE(m_cache.save(synced, u"x"_qs, QString(), 200.5));
    EXPECT_TRUE(fileNames().contains(entryName(u"x\u001F\u001F201"_qs)));
}

TEST_F(LyricsCacheTest, DifferentDurationsAreDifferentEntries)
{
    ASSERT_TRUE(m_cache.save(synced, u"Song"_qs, u"A"_qs, 200));
    EXPECT_EQ(m_cache.load(u"Song"_qs, u"A"_qs, 202), std::nullopt);
}

TEST_F(LyricsCacheTest, EmptyTitleAndArtistAreAnEntryLikeAnyOther)
{
    ASSERT_TRUE(m_cache.save(synced, QString(), QString(), 0));
    EXPECT_EQ(fileNames(), QStringList { entryName(u"\u001F\u001F0"_qs) });
    EXPECT_EQ(m_cache.load(QString(), QString(), 0), synced);
}

TEST_F(LyricsCacheTest, SecondSaveReplacesTheEntry)
{
    const Lyrics other { { { 0, u"plain"_qs } }, false };
    ASSERT_TRUE(m_cache.save(synced, u"Song"_qs, u"A"_qs, 100));
    ASSERT_TRUE(m_cache.save(other, u"Song"_qs, u"A"_qs, 100));
    EXPECT_EQ(m_cache.load(u"Song"_qs, u"A"_qs, 100), other);
    EXPECT_EQ(fileNames().size(), 1);
}

TEST_F(LyricsCacheTest, DurationThatDescribesNoTrackIsAMissAndNeverSaved)
{
    const double durations[] = { std::numeric_limits<double>::quiet_NaN(),
        std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(), 1e300, -5 };
    for (const double duration : durations) {
        EXPECT_FALSE(m_cache.save(synced, u"Song"_qs, u"A"_qs, duration)) << duration;
        EXPECT_EQ(m_cache.load(u"Song"_qs, u"A"_qs, duration), std::nullopt) << duration;
    }
    EXPECT_TRUE(fileNames().isEmpty());
}

TEST_F(LyricsCacheTest, StoredFormIsCompactJsonThatLoadsBackInOrder)
{
    const Lyrics unordered { { { 9, u"late"_qs }, { 1, u"early"_qs } }, true };
    const QUuid id = QUuid::createUuid();
    ASSERT_TRUE(m_cache.saveOverride(unordered, id));
    QFile file(filePath(u"override-"_qs + id.toString(QUuid::WithoutBraces).toUpper() + u".json"_qs));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    EXPECT_FALSE(bytes.contains('\n'));
    EXPECT_TRUE(bytes.contains("\"isSynced\":true"));
    EXPECT_EQ(m_cache.loadOverride(id), unordered);
}

struct StoredCase
{
    const char *json;
    bool loads;
};

class StoredFormTest : public LyricsCacheTest, public ::testing::WithParamInterface<StoredCase>
{
};

TEST_P(StoredFormTest, ReadsOnlyCompleteRecords)
{
    const QUuid id = QUuid::createUuid();
    writeFile(u"override-"_qs + id.toString(QUuid::WithoutBraces).toUpper() + u".json"_qs, GetParam().json);
    EXPECT_EQ(m_cache.loadOverride(id).has_value(), GetParam().loads) << GetParam().json;
}

INSTANTIATE_TEST_SUITE_P(Files, StoredFormTest,
    ::testing::Values(StoredCase { R"({"isSynced":false,"lines":[]})", true },
        StoredCase { R"({"isSynced":true,"lines":[{"time":1,"text":"a"}],"extra":1})", true },
        StoredCase { R"({"lines":[]})", false }, StoredCase { R"({"isSynced":1,"lines":[]})", false },
        StoredCase { R"({"isSynced":true,"lines":[{"time":1}]})", false },
        StoredCase { R"({"isSynced":true,"lines":[{"time":"1","text":"a"}]})", false },
        StoredCase { R"({"isSynced":true,"lines":null})", false },
        StoredCase { R"({"isSynced":true,"lines":{"time":1,"text":"a"}})", false },
        StoredCase { R"({"isSynced":true,"lines":[{"time":1,"text":"a"}])", false },
        StoredCase { R"({"isSynced":true,"lines":[]} [])", false },
        StoredCase { "{\"isSynced\":true,\"lines\":[{\"time\":1,\"text\":\"\xC3\x28\"}]}", false },
        StoredCase { R"([1,2])", false }, StoredCase { "not json", false }, StoredCase { "", false }));

TEST_F(LyricsCacheTest, EmptyLinesLoadAsLyricsWithoutLines)
{
    const QUuid id = QUuid::createUuid();
    writeFile(u"override-"_qs + id.toString(QUuid::WithoutBraces).toUpper() + u".json"_qs,
        R"({"isSynced":false,"lines":[]})");
    EXPECT_EQ(m_cache.loadOverride(id), (Lyrics { {}, false }));
}

TEST_F(LyricsCacheTest, OversizedFileIsUnreadable)
{
    const QUuid id = QUuid::createUuid();
    const QByteArray padding(9 * 1024 * 1024, ' ');
    writeFile(u"override-"_qs + id.toString(QUuid::WithoutBraces).toUpper() + u".json"_qs,
        R"({"isSynced":false,"lines":[]})" + padding);
    EXPECT_EQ(m_cache.loadOverride(id), std::nullopt);
}

TEST_F(LyricsCacheTest, FifoIsUnreadableWithoutBlocking)
{
    const QUuid id = QUuid::createUuid();
    QDir(m_root.path()).mkpath(u"lyrics"_qs);
    const QString name = u"override-"_qs + id.toString(QUuid::WithoutBraces).toUpper() + u".json"_qs;
    ASSERT_EQ(::mkfifo(QFile::encodeName(filePath(name)).constData(), 0600), 0);
    EXPECT_EQ(m_cache.loadOverride(id), std::nullopt);
}

TEST_F(LyricsCacheTest, OverrideIsWrittenReadAndRemoved)
{
    const QUuid id = QUuid::createUuid();
    EXPECT_EQ(m_cache.loadOverride(id), std::nullopt);
    ASSERT_TRUE(m_cache.saveOverride(synced, id)); // creates the missing folder
    EXPECT_EQ(fileNames(),
        QStringList { u"override-"_qs + id.toString(QUuid::WithoutBraces).toUpper() + u".json"_qs });
    EXPECT_EQ(m_cache.loadOverride(id), synced);
    EXPECT_EQ(m_cache.loadOverride(QUuid::createUuid()), std::nullopt);
    ASSERT_TRUE(m_cache.removeOverride(id));
    EXPECT_EQ(m_cache.loadOverride(id), std::nullopt);
    EXPECT_TRUE(fileNames().isEmpty());
}

TEST_F(LyricsCacheTest, RemovingAMissingOverrideSucceeds)
{
    EXPECT_TRUE(m_cache.removeOverride(QUuid::createUuid()));
}

TEST_F(LyricsCacheTest, FailedRemovalIsReported)
{
    FaultInjectingFileOperations files;
    const LyricsCache cache(folder(), files);
    const QUuid id = QUuid::createUuid();
    ASSERT_TRUE(cache.saveOverride(synced, id));
    files.failOnce(FileOperations::Operation::Remove, EIO);
    const auto removed = cache.removeOverride(id);
    ASSERT_FALSE(removed);
    EXPECT_EQ(removed.error().code, EIO);
    EXPECT_EQ(cache.loadOverride(id), synced);
}

TEST_F(LyricsCacheTest, NonFiniteLineTimeFailsAndKeepsTheOldFile)
{
    const QUuid id = QUuid::createUuid();
    ASSERT_TRUE(m_cache.saveOverride(synced, id));
    const Lyrics broken { { { std::numeric_limits<double>::infinity(), u"x"_qs } }, true };
    EXPECT_FALSE(m_cache.saveOverride(broken, id));
    EXPECT_EQ(m_cache.loadOverride(id), synced);
}

TEST_F(LyricsCacheTest, FailedWriteKeepsTheOldFile)
{
    FaultInjectingFileOperations files;
    const LyricsCache cache(folder(), files);
    ASSERT_TRUE(cache.save(synced, u"Song"_qs, u"A"_qs, 100));
    files.failOnce(FileOperations::Operation::WriteAtomically, ENOSPC);
    const auto saved = cache.save(Lyrics { { { 0, u"new"_qs } }, false }, u"Song"_qs, u"A"_qs, 100);
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().code, ENOSPC);
    EXPECT_EQ(cache.load(u"Song"_qs, u"A"_qs, 100), synced);
}

TEST_F(LyricsCacheTest, FolderThatCannotBeCreatedFailsTheWrite)
{
    // A regular file where the folder belongs.
    QFile blocker(m_root.filePath(u"lyrics"_qs));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const auto saved = m_cache.saveOverride(synced, QUuid::createUuid());
    ASSERT_FALSE(saved);
    EXPECT_NE(saved.error().code, 0);
}

} // namespace
