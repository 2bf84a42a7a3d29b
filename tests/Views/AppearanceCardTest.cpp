#include "SettingsSheetFixture.h"

#include "Views/AppearanceCard.h"
#include "Views/PresetSwatch.h"
#include "Views/SegmentedPicker.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QColorDialog>
#include <QPushButton>
#include <QTest>

namespace {

class AppearanceCardTest : public SettingsSheetFixture
{
protected:
    AppearanceCard &card() { return *sheet()->appearanceCard(); }

    QList<ThemePreset> selectedSwatches()
    {
        QList<ThemePreset> selected;
        for (PresetSwatch *swatch : card().swatches()) {
            if (swatch->isSelected())
                selected.append(swatch->preset());
        }
        return selected;
    }
};

TEST_F(AppearanceCardTest, AnUnknownPresetSelectsDeepBlueAndASwatchPicksItsPreset)
{
    seedSettings([](AppSettings &settings) { settings.themePreset = QStringLiteral("Celadon"); });
    openSheet();
    EXPECT_EQ(selectedSwatches(), QList<ThemePreset>{ThemePreset::deepBlue});

    QTest::mouseClick(card().swatches()[ThemePreset::berry], Qt::LeftButton);
    EXPECT_EQ(model->settings().themePreset, QStringLiteral("berry"));
    EXPECT_EQ(selectedSwatches(), QList<ThemePreset>{ThemePreset::berry});
}

TEST_F(AppearanceCardTest, APickedAccentIsStoredInUpperCaseHexAndCanBeReset)
{
    openSheet();
    EXPECT_FALSE(card().resetAccentButton()->isEnabled());
    // Without a custom accent the well shows the preset's own.
    EXPECT_EQ(ThemeEnvironment::hexString(card().accentColour()), ThemeEnvironment::theme(sheet()).tokens.accentHex);

    card().accentWell()->click();
    ASSERT_TRUE(card().accentDialog());
    EXPECT_TRUE(card().accentDialog()->testOption(QColorDialog::DontUseNativeDialog));
    EXPECT_FALSE(card().accentDialog()->testOption(QColorDialog::ShowAlphaChannel));
    card().accentDialog()->setCurrentColor(QColor(0x12, 0xab, 0xef));
    EXPECT_EQ(model->settings().customAccentHex, QStringLiteral("#12ABEF"));
    EXPECT_TRUE(card().resetAccentButton()->isEnabled());

    // While dragging, later colours wait for the interval; the last one is applied.
    card().pickAccent(QColor(0x20, 0x30, 0x40));
    card().pickAccent(QColor(0xfe, 0xdc, 0xba));
    EXPECT_EQ(model->settings().customAccentHex, QStringLiteral("#12ABEF"));
    settle(AppearanceCard::accentInterval * 3);
    EXPECT_EQ(model->settings().customAccentHex, QStringLiteral("#FEDCBA"));

    card().resetAccentButton()->click();
    EXPECT_EQ(model->settings().customAccentHex, std::nullopt);
    EXPECT_FALSE(card().resetAccentButton()->isEnabled());
}

TEST_F(AppearanceCardTest, ChangingTheLanguageNotifiesOnceThroughThePrompts)
{
    openSheet();
    card().languagePicker()->segment(QStringLiteral("en"))->click();
    EXPECT_EQ(model->settings().appLanguage, QStringLiteral("en"));
    ASSERT_EQ(environment.prompts->shown.size(), 1);
    EXPECT_EQ(environment.prompts->shown.first(),
        L("语言已更改") + QStringLiteral(" | 重启Quillmere后生效。\nTakes effect after restarting Quillmere."));

    card().languagePicker()->segment(QStringLiteral("en"))->click();
    EXPECT_EQ(environment.prompts->shown.size(), 1);
}

TEST_F(AppearanceCardTest, UnknownStoredChoicesShowTheirFallbacks)
{
    seedSettings([](AppSettings &settings) {
        settings.appLanguage = QStringLiteral("fr");
        settings.themeMode = QStringLiteral("dusk");
        settings.rowStyle = QStringLiteral("tiles");
    });
    openSheet();
    EXPECT_EQ(card().languagePicker()->value(), QString());
    EXPECT_EQ(card().modePicker()->value(), QStringLiteral("system"));
    EXPECT_EQ(card().rowStylePicker()->value(), QStringLiteral("index"));

    card().rowStylePicker()->segment(QStringLiteral("cover"))->click();
    EXPECT_EQ(model->settings().rowStyle, QStringLiteral("cover"));
    card().modePicker()->segment(QStringLiteral("dark"))->click();
    EXPECT_EQ(model->settings().themeMode, QStringLiteral("dark"));
    EXPECT_EQ(environment.shell->appearances.last(), QStringLiteral("dark"));
}

TEST_F(AppearanceCardTest, SwitchesStoreTheirSettings)
{
    openSheet();
    EXPECT_FALSE(card().captureSwitch()->isEnabled());
    EXPECT_FALSE(card().captureSwitch()->toolTip().isEmpty());

    // The sheet sits on a main window that is on screen.
    model->setMainWindowShown(true);
    card().spectrumSwitch()->click();
    EXPECT_TRUE(model->settings().showMainSpectrum);
    EXPECT_TRUE(model->engine().isSpectrumEnabled());
    card().spectrumSwitch()->click();
    EXPECT_FALSE(model->engine().isSpectrumEnabled());

    card().onTopSwitch()->click();
    EXPECT_EQ(model->settings().miniAlwaysOnTop, card().onTopSwitch()->isChecked());
    card().keepRunningSwitch()->click();
    EXPECT_EQ(model->settings().keepRunningOnClose, card().keepRunningSwitch()->isChecked());
}

} // namespace
