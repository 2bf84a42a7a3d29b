#include "SettingsSheetFixture.h"

#include "GuiSupport/Screenshots.h"
#include "Views/AppearanceCard.h"
#include "Views/CacheCard.h"
#include "Views/FileStatusCard.h"
#include "Views/LyricsSettingsCard.h"
#include "Views/PresetSwatch.h"
#include "Views/SegmentedPicker.h"
#include "Views/TagHistoryCard.h"
#include "Views/ThemedLabel.h"

#include "Library/IndexStore.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>

namespace {

using SettingsSheetTest = SettingsSheetFixture;

TEST_F(SettingsSheetTest, AClickInTheMainWindowClosesTheSheetAndStillLands)
{
    openSheet();
    QPointer<SettingsSheet> shown = sheet();
    ASSERT_TRUE(shown);
    EXPECT_FALSE(shown->isModal());

    // The colour dialog is a window of its own; clicks there keep the sheet.
    shown->appearanceCard()->accentWell()->click();
    QColorDialog *colours = shown->appearanceCard()->accentDialog();
    ASSERT_TRUE(colours);
    QTest::mouseClick(colours, Qt::LeftButton, {}, QPoint(5, 5));
    settle();
    EXPECT_TRUE(model->isSettingsPresented());

    QSignalSpy requested(windowButton, &QPushButton::clicked);
    QTest::mouseClick(windowButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(requested.count(), 1);
    EXPECT_FALSE(model->isSettingsPresented());
    EXPECT_FALSE(shown);
}

TEST_F(SettingsSheetTest, OpensWithNothingFocusedAndClosesOnReturnApplyingTheEndpoint)
{
    SettingsSheet &shown = openSheet();
    QLineEdit *field = shown.lyricsCard()->endpointField();
    // Whatever took the focus as the sheet was shown lets go of it once the opening delay has
    // passed (which may already be over on a loaded machine).
    const auto focusedInSheet = [&shown] {
        const QWidget *focused = QApplication::focusWidget();
        return focused && shown.isAncestorOf(focused);
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return !focusedInSheet(); }, SettingsSheet::initialFocusDelay + 5000));

    field->setText(QStringLiteral("  https://lyrics.example.org/api/get "));
    // A click on the card, off the field, ends the editing.
    field->setFocus();
    QTest::mouseClick(shown.lyricsCard(), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_FALSE(field->hasFocus());

    QTest::keyClick(&shown, Qt::Key_Return);
    settle();
    EXPECT_FALSE(model->isSettingsPresented());
    EXPECT_EQ(model->settings().lyricsEndpoint, QStringLiteral("https://lyrics.example.org/api/get"));
}

TEST_F(SettingsSheetTest, TagUndoShowsItsOutcomeAndTheHistoryIsClearedOnlyWhenConfirmed)
{
    seedTagUndoEntry();
    seedTagUndoEntry();
    TagHistoryCard &card = *openSheet().tagHistoryCard();
    EXPECT_EQ(card.countLabel()->text(), Lf("%d 条记录", 2));
    card.undoButton()->click();
    EXPECT_FALSE(card.undoButton()->isEnabled());
    ASSERT_TRUE(waitFor([&] { return card.notice().has_value(); }));
    EXPECT_EQ(card.notice(), model->statusMessage());
    const int entries = model->tagUndoCount();
    EXPECT_EQ(card.countLabel()->text(), Lf("%d 条记录", entries));
    ASSERT_GT(entries, 0);

    environment.prompts->confirmAnswers = {false};
    card.clearButton()->click();
    EXPECT_EQ(model->tagUndoCount(), entries);
    EXPECT_EQ(environment.prompts->shown.last(),
              L("清空编辑撤销记录？") + QStringLiteral(" | ") + L("清空后无法再撤销之前保存的标签修改，音频文件本身不受影响。")
                  + QStringLiteral(" | ") + L("清空"));
    environment.prompts->confirmAnswers = {true};
    card.clearButton()->click();
    EXPECT_EQ(model->tagUndoCount(), 0);
    EXPECT_EQ(card.notice(), L("已清空编辑撤销记录。"));
    EXPECT_FALSE(card.clearButton()->isEnabled());
    EXPECT_FALSE(card.undoButton()->isEnabled());
    EXPECT_EQ(card.countLabel()->text(), Lf("%d 条记录", 0));
}

TEST_F(SettingsSheetTest, CacheCardMeasuresWhenTheSheetOpensAndClears)
{
    CacheCard &card = *openSheet().cacheCard();
    EXPECT_EQ(card.sizeLabel()->text(), L("0 MB"));
    EXPECT_FALSE(card.clearButton()->isEnabled());
    model->setSettingsPresented(false);
    settle();

    QFile cached(home.dataPath() + QStringLiteral("/transcode/0123abcd.m4a"));
    ASSERT_TRUE(cached.open(QIODevice::WriteOnly));
    cached.write(QByteArray(250'000, 'a'));
    cached.close();
    CacheCard &reopened = *openSheet().cacheCard();
    ASSERT_TRUE(waitFor([&] { return reopened.clearButton()->isEnabled(); }));
    const QString size = reopened.sizeLabel()->text();
    EXPECT_EQ(size, model->transcodeCacheSizeText());
    EXPECT_NE(size, L("0 MB"));

    // The fake queue leaves the folder as it is; the card reports what the model says.
    reopened.clearButton()->click();
    EXPECT_FALSE(reopened.clearButton()->isEnabled());
    ASSERT_TRUE(waitFor([&] { return reopened.notice().has_value(); }));
    EXPECT_EQ(reopened.notice(), Lf("已清理转码缓存（%@）。", size));
}

TEST_F(SettingsSheetTest, FindsFFmpegOnThePathWhenAskedAgain)
{
    const QString bin = home.root() + QStringLiteral("/bin");
    QDir().mkpath(bin);
    AppModelEnvironment surroundings = environment.make();
    surroundings.processEnvironment.insert(QStringLiteral("PATH"), bin);
    model = std::make_unique<AppModel>(home.dataFolder(), std::move(surroundings));
    theme.setSettings(model->settings());

    CacheCard &card = *openSheet().cacheCard();
    EXPECT_EQ(card.pathLabel()->text(), L("未找到"));
    card.redetectButton()->click();
    EXPECT_EQ(card.notice(), Lf("仍未找到 FFmpeg，请先运行 %@。", QStringLiteral("sudo apt install ffmpeg")));

    QFile stub(bin + QStringLiteral("/ffmpeg"));
    ASSERT_TRUE(stub.open(QIODevice::WriteOnly));
    stub.write("#!/bin/sh\nexit 0\n");
    stub.close();
    stub.setPermissions(stub.permissions() | QFile::ExeOwner | QFile::ExeUser);
    card.redetectButton()->click();
    const QString found = Lf("已找到 FFmpeg：%@", bin + QStringLiteral("/ffmpeg"));
    EXPECT_EQ(card.notice(), found);
    EXPECT_EQ(card.pathLabel()->text(), bin + QStringLiteral("/ffmpeg"));
    // A cancelled chooser keeps the last result.
    card.chooseButton()->click();
    EXPECT_EQ(card.notice(), found);
}

TEST_F(SettingsSheetTest, AppearancePickersShowFallbacksForUnknownChoicesAndStoreWhatIsPicked)
{
    seedSettings([](AppSettings &settings) {
        settings.themePreset = QStringLiteral("Celadon");
        settings.appLanguage = QStringLiteral("fr");
        settings.themeMode = QStringLiteral("dusk");
        settings.rowStyle = QStringLiteral("tiles");
    });
    AppearanceCard &card = *openSheet().appearanceCard();
    const auto selectedSwatches = [&card] {
        QList<ThemePreset> selected;
        for (PresetSwatch *swatch : card.swatches()) {
            if (swatch->isSelected())
                selected.append(swatch->preset());
        }
        return selected;
    };
    EXPECT_EQ(selectedSwatches(), QList<ThemePreset>{ThemePreset::deepBlue});
    EXPECT_EQ(card.languagePicker()->value(), QString());
    EXPECT_EQ(card.modePicker()->value(), QStringLiteral("system"));
    EXPECT_EQ(card.rowStylePicker()->value(), QStringLiteral("index"));

    QTest::mouseClick(card.swatches()[ThemePreset::berry], Qt::LeftButton);
    EXPECT_EQ(model->settings().themePreset, QStringLiteral("berry"));
    EXPECT_EQ(selectedSwatches(), QList<ThemePreset>{ThemePreset::berry});
    card.rowStylePicker()->segment(QStringLiteral("cover"))->click();
    EXPECT_EQ(model->settings().rowStyle, QStringLiteral("cover"));
    card.modePicker()->segment(QStringLiteral("dark"))->click();
    EXPECT_EQ(model->settings().themeMode, QStringLiteral("dark"));
    EXPECT_EQ(environment.shell->appearances.last(), QStringLiteral("dark"));

    // A new language is announced once, through the prompts.
    for (int click = 0; click < 2; ++click)
        card.languagePicker()->segment(QStringLiteral("en"))->click();
    EXPECT_EQ(model->settings().appLanguage, QStringLiteral("en"));
    EXPECT_EQ(environment.prompts->shown,
              QStringList{L("语言已更改") + QStringLiteral(" | 重启Quillmere后生效。\nTakes effect after restarting Quillmere.")});

    ASSERT_TRUE(model->settings().hideFromScreenCapture);
    EXPECT_FALSE(card.captureSwitch()->isEnabled());
    EXPECT_FALSE(card.captureSwitch()->isChecked());
    EXPECT_FALSE(card.captureSwitch()->toolTip().isEmpty());
    // The sheet sits on a main window that is on screen.
    model->setMainWindowShown(true);
    card.spectrumSwitch()->click();
    EXPECT_TRUE(model->settings().showMainSpectrum);
    EXPECT_TRUE(model->engine().isSpectrumEnabled());
    card.spectrumSwitch()->click();
    EXPECT_FALSE(model->engine().isSpectrumEnabled());
    card.onTopSwitch()->click();
    EXPECT_EQ(model->settings().miniAlwaysOnTop, card.onTopSwitch()->isChecked());
    card.keepRunningSwitch()->click();
    EXPECT_EQ(model->settings().keepRunningOnClose, card.keepRunningSwitch()->isChecked());
}

TEST_F(SettingsSheetTest, APickedAccentIsStoredInUpperCaseHexAtMostOncePerIntervalAndCanBeReset)
{
    AppearanceCard &card = *openSheet().appearanceCard();
    EXPECT_FALSE(card.resetAccentButton()->isEnabled());
    // Without a custom accent the well shows the preset's own.
    EXPECT_EQ(ThemeEnvironment::hexString(card.accentColour()), ThemeEnvironment::theme(sheet()).tokens.accentHex);

    card.accentWell()->click();
    ASSERT_TRUE(card.accentDialog());
    EXPECT_TRUE(card.accentDialog()->testOption(QColorDialog::DontUseNativeDialog));
    EXPECT_FALSE(card.accentDialog()->testOption(QColorDialog::ShowAlphaChannel));
    card.accentDialog()->setCurrentColor(QColor(0x12, 0xab, 0xef));
    EXPECT_EQ(model->settings().customAccentHex, QStringLiteral("#12ABEF"));
    EXPECT_TRUE(card.resetAccentButton()->isEnabled());

    // While dragging, later colours wait for the interval; the last one is applied.
    card.pickAccent(QColor(0x20, 0x30, 0x40));
    card.pickAccent(QColor(0xfe, 0xdc, 0xba));
    EXPECT_EQ(model->settings().customAccentHex, QStringLiteral("#12ABEF"));
    settle(AppearanceCard::accentInterval * 3);
    EXPECT_EQ(model->settings().customAccentHex, QStringLiteral("#FEDCBA"));

    card.resetAccentButton()->click();
    EXPECT_EQ(model->settings().customAccentHex, std::nullopt);
    EXPECT_FALSE(card.resetAccentButton()->isEnabled());
}

TEST_F(SettingsSheetTest, LyricsCardAppliesTheEndpointOnReturnShowsARefusalAndResets)
{
    const QString stored = QStringLiteral("https://old.example.org/api/get");
    seedSettings([&](AppSettings &settings) { settings.lyricsEndpoint = stored; });
    LyricsSettingsCard &card = *openSheet().lyricsCard();
    QLineEdit *field = card.endpointField();
    EXPECT_EQ(field->text(), stored);
    EXPECT_TRUE(card.resetEndpointButton()->isEnabled());

    field->setText(QStringLiteral("  http://lrc.example.net/get \n"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(model->settings().lyricsEndpoint, QStringLiteral("http://lrc.example.net/get"));
    EXPECT_EQ(field->text(), QStringLiteral("http://lrc.example.net/get"));
    EXPECT_TRUE(card.endpointNotice()->isHidden());
    EXPECT_TRUE(model->isSettingsPresented()) << "Return stays with the field";

    field->setText(QStringLiteral("ftp://lrc.example.net"));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(model->settings().lyricsEndpoint, QStringLiteral("http://lrc.example.net/get"));
    EXPECT_EQ(field->text(), QStringLiteral("ftp://lrc.example.net"));
    EXPECT_FALSE(card.endpointNotice()->isHidden());
    EXPECT_EQ(card.endpointNotice()->text(), L("歌词源地址无效，请输入 http 或 https 链接。"));

    card.resetEndpointButton()->click();
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_TRUE(card.endpointNotice()->isHidden());
    EXPECT_EQ(model->settings().lyricsEndpoint, std::nullopt);
    EXPECT_FALSE(card.resetEndpointButton()->isEnabled());
    field->setText(QStringLiteral("   "));
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(field->text(), QString());
    EXPECT_EQ(model->settings().lyricsEndpoint, std::nullopt);
}

TEST_F(SettingsSheetTest, LyricsCardControlsStoreTheirSettings)
{
    seedSettings([](AppSettings &settings) { settings.lyricsLineMode = QStringLiteral("three"); });
    LyricsSettingsCard &card = *openSheet().lyricsCard();
    EXPECT_EQ(card.lineModePicker()->value(), QString());
    card.lineModePicker()->segment(QStringLiteral("one"))->click();
    card.outlineSwitch()->click();
    ASSERT_TRUE(card.onlineSwitch()->isChecked());
    card.onlineSwitch()->click();
    card.opacitySlider()->setValue(555);
    EXPECT_DOUBLE_EQ(model->settings().lyricsOpacity, 0.555);
    EXPECT_EQ(card.opacityText()->text(), QStringLiteral("56%"));

    model->flushPendingSaves();
    const AppSettings saved = IndexStore(home.dataFolder()).loadSettings();
    EXPECT_EQ(saved.lyricsLineMode, QStringLiteral("one"));
    EXPECT_TRUE(saved.lyricsOutline);
    EXPECT_FALSE(saved.onlineLyricsEnabled);
    EXPECT_DOUBLE_EQ(saved.lyricsOpacity, 0.555);
}

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
