#include "UI/ThemePalette.h"
#include "UI/SystemColorScheme.h"
#include "UI/ThemeEnvironment.h"

#include "Theme/ThemeCatalog.h"

#include <QWidget>

#include <gtest/gtest.h>

// The desktop's appearance, switched by the test.
class FakeColorScheme : public SystemColorScheme
{
    Q_OBJECT

public:
    bool isDark() const override { return m_dark; }
    void setDark(bool dark)
    {
        m_dark = dark;
        emit isDarkChanged(dark);
    }

private:
    bool m_dark = false;
};

namespace {

void expectComponents(const QColor &color, double red, double green, double blue)
{
    EXPECT_NEAR(color.redF(), red, 1e-4);
    EXPECT_NEAR(color.greenF(), green, 1e-4);
    EXPECT_NEAR(color.blueF(), blue, 1e-4);
    EXPECT_EQ(color.alphaF(), 1.0);
}

AppSettings themeSettings(const char *preset, const char *mode, std::optional<QString> custom = std::nullopt)
{
    AppSettings settings;
    settings.themePreset = QLatin1String(preset);
    settings.themeMode = QLatin1String(mode);
    settings.customAccentHex = std::move(custom);
    return settings;
}

} // namespace

TEST(ThemePalette, PresetAndModeFromTheSettingsWithTheSystemForSystemAndUnknownModes)
{
    const struct
    {
        const char *preset;
        const char *mode;
        bool systemDark;
        ThemePreset expected;
        bool dark;
    } cases[] = {
        {"berry", "system", true, ThemePreset::berry, true},
        {"berry", "system", false, ThemePreset::berry, false},
        {"deepBlue", "light", true, ThemePreset::deepBlue, false},
        {"celadon", "dark", false, ThemePreset::celadon, true},
        {"Celadon", "auto", true, ThemePreset::deepBlue, true},
    };
    for (const auto &c : cases) {
        const ThemePalette palette = ThemeEnvironment::windowPalette(themeSettings(c.preset, c.mode), c.systemDark);
        EXPECT_EQ(palette.preset, c.expected) << c.preset << " " << c.mode;
        EXPECT_EQ(palette.tokens.isDark, c.dark) << c.preset << " " << c.mode;
        EXPECT_EQ(palette.tokens, ThemeCatalog::tokens(c.expected, c.dark, std::nullopt));
    }
}

TEST(ThemePalette, DerivedColoursDependOnTheAppearance)
{
    // Light: the light accent is the accent darkened, white on the accent, black hairlines.
    const ThemePalette light = ThemeEnvironment::windowPalette(themeSettings("deepBlue", "light"), true);
    EXPECT_EQ(light.accent, QColor(0x3E, 0x6F, 0xE0));
    EXPECT_EQ(light.onAccent, QColor(Qt::white));
    expectComponents(light.accentLight, 62 / 255.0 * 0.72, 111 / 255.0 * 0.72, 224 / 255.0 * 0.72);
    EXPECT_EQ(light.hairline.rgb(), qRgb(0, 0, 0));
    EXPECT_NEAR(light.hairline.alphaF(), 0.09, 1e-4);

    // Dark: lightened, and a white raised fill.
    const ThemePalette dark = ThemeEnvironment::windowPalette(themeSettings("celadon", "dark"), false);
    EXPECT_EQ(dark.accent, QColor(0x4F, 0xB8, 0x9A));
    expectComponents(dark.accentLight, 0.6894, 0.8747, 0.8218);
    EXPECT_EQ(dark.raisedFill.rgb(), qRgb(255, 255, 255));
    EXPECT_NEAR(dark.raisedFill.alphaF(), 0.07, 1e-4);

    // The gradients run from the accent, left to right.
    const QGradientStops stops = dark.accentGradient.stops();
    ASSERT_EQ(stops.size(), 2);
    EXPECT_EQ(stops.first().second, dark.accent);
    EXPECT_EQ(dark.accentGradient.start(), QPointF(0, 0.5));
    EXPECT_EQ(dark.accentGradient.finalStop(), QPointF(1, 0.5));
    ASSERT_EQ(dark.coverGradient.stops().size(), 3);
    EXPECT_EQ(dark.coverGradient.stops().at(1).first, 0.5);
}

TEST(ThemePalette, CustomAccentChangesOnlyTheAccentColoursAndBadTextFallsBackToSoftBlue)
{
    const ThemePalette preset = ThemeEnvironment::windowPalette(themeSettings("seaSalt", "light"), false);
    const ThemePalette custom
        = ThemeEnvironment::windowPalette(themeSettings("seaSalt", "light", QStringLiteral(" #FF0000 ")), false);
    EXPECT_EQ(custom.accent, QColor(Qt::red));
    EXPECT_EQ(custom.onAccent, QColor(Qt::black));
    EXPECT_EQ(custom.accentSecondary, preset.accentSecondary);
    EXPECT_EQ(custom.backgroundTop, preset.backgroundTop);
    EXPECT_EQ(custom.panelTint, preset.panelTint);
    EXPECT_EQ(custom.playerTint, preset.playerTint);
    EXPECT_NE(custom, preset);

    const ThemePalette unparsable(ThemePreset::morning, ThemeTokens{QStringLiteral("#GGGGGG"), false});
    expectComponents(unparsable.accent, 0.48, 0.64, 1.0);
    EXPECT_EQ(unparsable.onAccent, QColor(Qt::white));
}

TEST(ThemeEnvironment, TheNearestRootsPaletteReachesDescendantsAndOwnedWindowsElseDeepBlueDark)
{
    QWidget root;
    EXPECT_EQ(ThemeEnvironment::theme(&root).tokens, ThemeCatalog::tokens(ThemePreset::deepBlue, true, std::nullopt));
    auto *inner = new QWidget(new QWidget(&root));
    auto *popup = new QWidget(&root, Qt::Popup);
    const ThemePalette berry = ThemeEnvironment::windowPalette(themeSettings("berry", "light"), false);
    ThemeEnvironment::setTheme(&root, berry);
    EXPECT_EQ(ThemeEnvironment::theme(inner), berry);
    EXPECT_EQ(ThemeEnvironment::theme(popup), berry);

    const ThemePalette swatch = ThemeEnvironment::windowPalette(themeSettings("seaSalt", "light"), false);
    ThemeEnvironment::setTheme(inner->parentWidget(), swatch);
    EXPECT_EQ(ThemeEnvironment::theme(inner), swatch);
    EXPECT_EQ(ThemeEnvironment::theme(popup), berry);
}

TEST(ThemeEnvironment, TheSystemSwitchReachesEveryLiveRootInSystemModeOnly)
{
    FakeColorScheme scheme;
    ThemeEnvironment environment(scheme);
    environment.setSettings(themeSettings("celadon", "system"));
    QWidget mainWindow;
    QWidget miniPlayer;
    auto *child = new QWidget(&miniPlayer);
    environment.addRoot(&mainWindow);
    environment.addRoot(&miniPlayer);
    {
        QWidget closed;
        environment.addRoot(&closed);
    }
    EXPECT_FALSE(ThemeEnvironment::theme(&mainWindow).tokens.isDark);
    int changes = 0;
    QObject::connect(&environment, &ThemeEnvironment::paletteChanged, [&] { ++changes; });
    scheme.setDark(true);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ThemeEnvironment::theme(&mainWindow).tokens.isDark);
    EXPECT_EQ(ThemeEnvironment::theme(child), environment.palette());
    EXPECT_EQ(environment.palette().preset, ThemePreset::celadon);

    for (const char *mode : {"light", "dark"}) {
        environment.setSettings(themeSettings("inkAmber", mode, QStringLiteral("a1b2c3")));
        const ThemePalette before = ThemeEnvironment::theme(child);
        EXPECT_EQ(before, environment.palette()) << mode;
        EXPECT_EQ(before.tokens.accentHex, QStringLiteral("a1b2c3"));
        changes = 0;
        scheme.setDark(!scheme.isDark());
        EXPECT_EQ(changes, 0) << mode;
        EXPECT_EQ(ThemeEnvironment::theme(child), before) << mode;
    }
}

TEST(ThemeEnvironment, HexStringOfPickedColours)
{
    EXPECT_EQ(ThemeEnvironment::hexString(QColor(0x3E, 0x6F, 0xE0, 40)), QStringLiteral("#3E6FE0"));
    EXPECT_EQ(ThemeEnvironment::hexString(QColor::fromHsv(120, 255, 255)), QStringLiteral("#00FF00"));
    EXPECT_EQ(ThemeEnvironment::hexString(QColor::fromCmykF(0, 1, 1, 0)), QStringLiteral("#FF0000"));
    EXPECT_EQ(ThemeEnvironment::hexString(QColor()), QStringLiteral("#FFFFFF"));
}

#include "ThemePaletteTest.moc"
