#include "SettingsSheetFixture.h"

#include "GuiSupport/Screenshots.h"
#include "Views/AppearanceCard.h"
#include "Views/CacheCard.h"
#include "Views/FileStatusCard.h"
#include "Views/LyricsSettingsCard.h"
#include "Views/TagHistoryCard.h"

#include <QScrollArea>

namespace {

class SettingsSheetLookTest : public SettingsSheetFixture, public ::testing::WithParamInterface<bool>
{
};

TEST_P(SettingsSheetLookTest, SavesTheSheetAndEachCard)
{
    const bool dark = GetParam();
    colorScheme.setDark(dark);
    seedMissingTracks(2);
    seedTagUndoEntry();
    seedSettings([](AppSettings &settings) {
        settings.lyricsEndpoint = QStringLiteral("https://lyrics.example.org/api/get");
        settings.themePreset = QStringLiteral("deepBlue");
    });
    buildModel();
    SettingsSheet &shown = openSheet();
    scanUnreadableFiles(5);
    settle(100);

    const QString suffix = dark ? QStringLiteral("-dark") : QStringLiteral("-light");
    EXPECT_EQ(shown.size(), SettingsSheet::sheetSize);
    Screenshots::save(shown, QStringLiteral("settings-sheet") + suffix);
    const QList<QPair<QString, QWidget *>> cards{{QStringLiteral("tag-history"), shown.tagHistoryCard()},
        {QStringLiteral("file-status"), shown.fileStatusCard()}, {QStringLiteral("cache"), shown.cacheCard()},
        {QStringLiteral("lyrics"), shown.lyricsCard()}, {QStringLiteral("appearance"), shown.appearanceCard()}};
    for (const auto &[name, card] : cards) {
        shown.scrollArea()->ensureWidgetVisible(card, 0, 0);
        settle();
        EXPECT_FALSE(card->isHidden()) << name.toStdString();
        EXPECT_GT(card->height(), 40) << name.toStdString();
        Screenshots::save(*card, QStringLiteral("settings-card-") + name + suffix);
    }
}

INSTANTIATE_TEST_SUITE_P(Appearance, SettingsSheetLookTest, ::testing::Values(false, true),
    [](const auto &info) { return info.param ? "Dark" : "Light"; });

} // namespace
