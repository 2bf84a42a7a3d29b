#include "InterfaceLanguage.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(InterfaceLanguageTest, TheChoiceIsKeptForTheNextLaunchAndSystemForgetsIt)
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("Quillmere.conf"));
    struct Step
    {
        const char *code;
        QStringList stored;
        QLocale::Language language;
    };
    const QLocale::Language system = QLocale::system().language();
    for (const Step &step : std::initializer_list<Step>{
             {"zh", {QStringLiteral("zh-Hans")}, QLocale::Chinese},
             {"fr", {QStringLiteral("zh-Hans")}, QLocale::Chinese},
             {"en", {QStringLiteral("en")}, QLocale::English},
             {"system", {}, system}}) {
        {
            QSettings settings(path, QSettings::IniFormat);
            InterfaceLanguage::store(settings, QString::fromUtf8(step.code));
        }
        // Read back as start-up reads it: from the file, by a fresh QSettings.
        const QSettings settings(path, QSettings::IniFormat);
        EXPECT_EQ(settings.value(InterfaceLanguage::settingsKey).toStringList(), step.stored) << step.code;
        EXPECT_EQ(settings.contains(InterfaceLanguage::settingsKey), !step.stored.isEmpty()) << step.code;
        EXPECT_EQ(InterfaceLanguage::translationLocale(settings).language(), step.language) << step.code;
    }
    const QSettings settings(path, QSettings::IniFormat);
    EXPECT_EQ(InterfaceLanguage::translationLocale(settings), QLocale::system());
}
