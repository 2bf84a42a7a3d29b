#include "Theme/AccentContrast.h"
#include "Theme/ThemeCatalog.h"
#include "Theme/ThemeMode.h"
#include "Theme/ThemePreset.h"
#include "Theme/ThemeRGB.h"
#include "Theme/ThemeSettings.h"

#include <gtest/gtest.h>

#include <limits>

// Choices are stored by their raw names, matched exactly: settings with other names (other letter
// case included) give deepBlue and system, and an unset preset is celadon.
TEST(ThemeChoices, StoredNamesModesAndAccents)
{
    QStringList raw;
    for (const ThemePreset preset : ThemePreset::allCases())
        raw.append(preset.rawValue());
    for (const ThemeMode mode : ThemeMode::allCases())
        raw.append(mode.rawValue());
    EXPECT_EQ(raw, (QStringList {"celadon", "deepBlue", "morning", "inkAmber", "berry", "seaSalt", "system", "light", "dark"}));
    EXPECT_EQ(ThemeCatalog::tokens(ThemePreset::celadon, false, std::nullopt), (ThemeTokens {"#2F7D6A", false}));
    EXPECT_EQ(ThemeCatalog::tokens(ThemePreset::celadon, true, std::nullopt), (ThemeTokens {"#4FB89A", true}));

    AppSettings settings;
    EXPECT_EQ(ThemeSettings::preset(settings), ThemePreset::celadon);
    settings.themePreset = "Celadon";
    settings.themeMode = "auto";
    settings.rowStyle = "Cover";
    EXPECT_EQ(ThemeSettings::preset(settings), ThemePreset::deepBlue);
    EXPECT_EQ(ThemeSettings::mode(settings), ThemeMode::system);
    EXPECT_FALSE(ThemeSettings::usesCoverRowStyle(settings));
    settings.themePreset = "inkAmber";
    settings.themeMode = "light";
    settings.rowStyle = "cover";
    EXPECT_EQ(ThemeSettings::preset(settings), ThemePreset::inkAmber);
    EXPECT_EQ(ThemeSettings::mode(settings), ThemeMode::light);
    EXPECT_TRUE(ThemeSettings::usesCoverRowStyle(settings));
}

// Valid text is kept trimmed, as written; anything else keeps the preset's accent.
TEST(ThemeColours, CustomAccentHexParsingWritingBlendingAndContrast)
{
    const std::pair<const char *, const char *> accents[] = {
        {"  #a1b2c3\n", "#a1b2c3"}, {"a1b2c3", "a1b2c3"}, {"\t#FF8000 ", "#FF8000"}, {"", "#4FB89A"},
        {"   ", "#4FB89A"}, {"#12", "#4FB89A"}, {"#GGGGGG", "#4FB89A"}, {"red", "#4FB89A"},
        {"##a1b2c3", "#4FB89A"}, {"0xa1b2c3", "#4FB89A"},
    };
    for (const auto &[custom, accent] : accents)
        EXPECT_EQ(ThemeCatalog::tokens(ThemePreset::celadon, true, QString::fromLatin1(custom)),
                  (ThemeTokens {QLatin1String(accent), true}))
            << custom;
    // Six digits with one optional "#"; the sign handling of a standard unsigned parser: "+" and
    // five digits, "-" and zero.
    EXPECT_EQ(ThemeRGB::fromHex(u" #ff8000 "), (ThemeRGB {1.0, 128 / 255.0, 0.0}));
    EXPECT_EQ(ThemeRGB::fromHex(u"+12345"), (ThemeRGB {0x01 / 255.0, 0x23 / 255.0, 0x45 / 255.0}));
    EXPECT_EQ(ThemeRGB::fromHex(u"#-00000"), ThemeRGB::black);
    for (const char16_t *text : {u"##a1b2c3", u"#FFF", u"#1234567", u"0xa1b2", u"0x12345678", u"# 12345", u"12 345",
                                 u"-12345", u"+-1234", u"", u"#", u"１２３４５６", u"#12345g"})
        EXPECT_FALSE(ThemeRGB::fromHex(text)) << QString::fromUtf16(text).toStdString();
    // Written clamped, rounded, in upper case; a component that is not a number must not reach the
    // integer conversion. Blends take a clamped amount.
    EXPECT_EQ((ThemeRGB {1.2, -0.1, 0.5}).hexString(), QStringLiteral("#FF0080"));
    EXPECT_EQ((ThemeRGB {0x3E / 255.0, 0x6F / 255.0, 0xE0 / 255.0}).hexString(), QStringLiteral("#3E6FE0"));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_EQ((ThemeRGB {nan, 1, nan}).hexString(), QStringLiteral("#00FF00"));
    const ThemeRGB grey {0.5, 0.5, 0.5};
    EXPECT_EQ(ThemeRGB::black.blended(ThemeRGB::white, 0.25), (ThemeRGB {0.25, 0.25, 0.25}));
    EXPECT_EQ(grey.blended(ThemeRGB::white, 2.0), ThemeRGB::white);
    EXPECT_EQ(grey.blended(ThemeRGB::white, -1.0), grey);
    // The text colour with the larger contrast, white for no colour. Greys around
    // L = sqrt(0.0525) - 0.05 (about 0.17913): 0x75 lies below it, 0x76 above.
    const std::pair<const char16_t *, const char *> texts[] = {{u"#FFFFFF", "#000000"}, {u"#000000", "#FFFFFF"},
        {u"not a colour", "#FFFFFF"}, {u"#FF0000", "#000000"}, {u"#757575", "#FFFFFF"}, {u"#767676", "#000000"}};
    for (const auto &[accent, text] : texts)
        EXPECT_EQ(AccentContrast::textColor(accent), QLatin1String(text)) << QString::fromUtf16(accent).toStdString();
}
