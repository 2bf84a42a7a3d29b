#include "Theme/AccentContrast.h"
#include "Theme/ThemeCatalog.h"
#include "Theme/ThemeMode.h"
#include "Theme/ThemePreset.h"
#include "Theme/ThemeRGB.h"
#include "Theme/ThemeResolver.h"
#include "Theme/ThemeSettings.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

struct PresetRow
{
    ThemePreset preset;
    const char *raw; // the name settings store
    const char *displayName;
    const char *lightAccent, *darkAccent, *lightText, *darkText;
};

const PresetRow presetRows[] = {
    { ThemePreset::celadon, "celadon", "青瓷", "#2F7D6A", "#4FB89A", "#FFFFFF", "#000000" },
    { ThemePreset::deepBlue, "deepBlue", "深空蓝", "#3E6FE0", "#7AA2FF", "#FFFFFF", "#000000" },
    { ThemePreset::morning, "morning", "晨光橙", "#C2703D", "#C2703D", "#000000", "#000000" },
    { ThemePreset::inkAmber, "inkAmber", "墨黑琥珀", "#F5B942", "#F5B942", "#000000", "#000000" },
    { ThemePreset::berry, "berry", "莓紫", "#B48CF2", "#B48CF2", "#000000", "#000000" },
    { ThemePreset::seaSalt, "seaSalt", "海盐", "#3E8FB0", "#3E8FB0", "#000000", "#000000" },
};

class PresetTable : public ::testing::TestWithParam<PresetRow>
{
};

} // namespace

TEST_P(PresetTable, GivesTheAccentOfEachModeAReadableTextColourAndItsNames)
{
    const PresetRow &row = GetParam();
    const ThemeTokens light = ThemeCatalog::tokens(row.preset, false, std::nullopt);
    const ThemeTokens dark = ThemeCatalog::tokens(row.preset, true, std::nullopt);
    EXPECT_EQ(light, (ThemeTokens { QString::fromLatin1(row.lightAccent), false }));
    EXPECT_EQ(dark, (ThemeTokens { QString::fromLatin1(row.darkAccent), true }));
    EXPECT_EQ(light.accentTextHex(), QLatin1String(row.lightText));
    EXPECT_EQ(dark.accentTextHex(), QLatin1String(row.darkText));
    EXPECT_EQ(ThemePreset::fromRawValue(QString::fromLatin1(row.raw)), row.preset);
    EXPECT_EQ(row.preset.displayName(), QString::fromUtf8(row.displayName));
}

INSTANTIATE_TEST_SUITE_P(Catalog, PresetTable, ::testing::ValuesIn(presetRows));

TEST(ThemeChoices, ListTheirCasesInMenuOrderWithTheirNames)
{
    QList<ThemePreset> presets;
    for (const PresetRow &row : presetRows)
        presets.append(row.preset);
    EXPECT_EQ(ThemePreset::allCases(), presets);
    EXPECT_EQ(ThemeMode::allCases(), (QList<ThemeMode> { ThemeMode::system, ThemeMode::light, ThemeMode::dark }));
    EXPECT_EQ(ThemeMode(ThemeMode::system).displayName(), QStringLiteral("跟随系统"));
    EXPECT_EQ(ThemeMode(ThemeMode::light).displayName(), QStringLiteral("浅色"));
    EXPECT_EQ(ThemeMode(ThemeMode::dark).displayName(), QStringLiteral("深色"));
    EXPECT_FALSE(ThemeMode::fromJson(QJsonValue(3)));
    EXPECT_FALSE(ThemePreset::fromJson(QStringLiteral("DEEPBLUE")));
    for (bool system : { false, true }) {
        EXPECT_EQ(ThemeResolver::isDark(ThemeMode::system, system), system);
        EXPECT_FALSE(ThemeResolver::isDark(ThemeMode::light, system));
        EXPECT_TRUE(ThemeResolver::isDark(ThemeMode::dark, system));
    }
}

TEST(ThemeChoices, SettingsFallBackToDeepBlueAndSystemForUnknownNames)
{
    AppSettings settings;
    EXPECT_EQ(ThemeSettings::preset(settings), ThemePreset::celadon);
    EXPECT_EQ(ThemeSettings::mode(settings), ThemeMode::system);
    EXPECT_FALSE(ThemeSettings::usesCoverRowStyle(settings));

    settings.themePreset = QStringLiteral("Celadon"); // names match exactly
    settings.themeMode = QStringLiteral("auto");
    settings.rowStyle = QStringLiteral("Cover");
    EXPECT_EQ(ThemeSettings::preset(settings), ThemePreset::deepBlue);
    EXPECT_EQ(ThemeSettings::mode(settings), ThemeMode::system);
    EXPECT_FALSE(ThemeSettings::usesCoverRowStyle(settings));

    settings.themePreset = QStringLiteral("inkAmber");
    settings.themeMode = QStringLiteral("light");
    settings.rowStyle = QStringLiteral("cover");
    EXPECT_EQ(ThemeSettings::preset(settings), ThemePreset::inkAmber);
    EXPECT_EQ(ThemeSettings::mode(settings), ThemeMode::light);
    EXPECT_TRUE(ThemeSettings::usesCoverRowStyle(settings));
}

TEST(CustomAccent, ValidTextIsKeptTrimmedAsWrittenAnythingElseKeepsThePreset)
{
    const std::pair<const char *, const char *> rows[] = {
        { "  #a1b2c3\n", "#a1b2c3" }, { "a1b2c3", "a1b2c3" }, { "\t#FF8000 ", "#FF8000" },
        { "", "#4FB89A" }, { "   ", "#4FB89A" }, { "#12", "#4FB89A" }, { "#GGGGGG", "#4FB89A" },
        { "red", "#4FB89A" }, { "##a1b2c3", "#4FB89A" }, { "0xa1b2c3", "#4FB89A" },
    };
    for (const auto &[custom, accent] : rows) {
        const ThemeTokens tokens = ThemeCatalog::tokens(ThemePreset::celadon, true, QString::fromLatin1(custom));
        EXPECT_EQ(tokens, (ThemeTokens { QLatin1String(accent), true })) << custom;
    }
}

TEST(ThemeRGBHex, ParsesSixDigitsWithOneOptionalHashAndRejectsEverythingElse)
{
    EXPECT_EQ(ThemeRGB::fromHex(u" #ff8000 "), (ThemeRGB { 1.0, 128 / 255.0, 0.0 }));
    EXPECT_EQ(ThemeRGB::fromHex(u"000000"), ThemeRGB::black);
    EXPECT_EQ(ThemeRGB::fromHex(u"#FFFFFF"), ThemeRGB::white);
    // The sign handling of a standard unsigned parser: "+" and five digits, "-" and zero.
    EXPECT_EQ(ThemeRGB::fromHex(u"+12345"), (ThemeRGB { 0x01 / 255.0, 0x23 / 255.0, 0x45 / 255.0 }));
    EXPECT_EQ(ThemeRGB::fromHex(u"#-00000"), ThemeRGB::black);
    for (const char16_t *text : { u"##a1b2c3", u"#FFF", u"#1234567", u"0xa1b2", u"0x12345678", u"# 12345",
             u"12 345", u"-12345", u"+-1234", u"", u"#", u"１２３４５６", u"#12345g" }) {
        EXPECT_FALSE(ThemeRGB::fromHex(text)) << QString::fromUtf16(text).toStdString();
    }
}

TEST(ThemeRGBHex, WritesClampedRoundedUpperCaseDigitsAndBlendsByAClampedAmount)
{
    EXPECT_EQ((ThemeRGB { 1.2, -0.1, 0.5 }).hexString(), QStringLiteral("#FF0080"));
    EXPECT_EQ((ThemeRGB { 0x3E / 255.0, 0x6F / 255.0, 0xE0 / 255.0 }).hexString(), QStringLiteral("#3E6FE0"));
    // A component that is not a number must not reach the integer conversion.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ((ThemeRGB { nan, 1, nan }).hexString(), QStringLiteral("#00FF00"));

    const ThemeRGB grey { 0.5, 0.5, 0.5 };
    EXPECT_EQ(ThemeRGB::black.blended(ThemeRGB::white, 0.25), (ThemeRGB { 0.25, 0.25, 0.25 }));
    EXPECT_EQ(grey.blended(ThemeRGB::white, 2.0), ThemeRGB::white);
    EXPECT_EQ(grey.blended(ThemeRGB::white, -1.0), grey);
}

TEST(AccentContrast, PicksTheLargerContrastAndWhiteForNoColour)
{
    // Greys around L = sqrt(0.0525) - 0.05 (about 0.17913): 0x75 lies below it, 0x76 above.
    const std::pair<const char16_t *, const char *> rows[] = { { u"#FFFFFF", "#000000" }, { u"#000000", "#FFFFFF" },
        { u"not a colour", "#FFFFFF" }, { u"#FF0000", "#000000" }, { u"#757575", "#FFFFFF" },
        { u"#767676", "#000000" } };
    for (const auto &[accent, text] : rows)
        EXPECT_EQ(AccentContrast::textColor(accent), QLatin1String(text)) << QString::fromUtf16(accent).toStdString();
}
