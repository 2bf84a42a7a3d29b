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

QColor hex(const char *text)
{
    return QColor(QLatin1String(text));
}

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

TEST(ThemePalette, BerryFollowingADarkSystem)
{
    const ThemePalette palette = ThemeEnvironment::windowPalette(themeSettings("berry", "system"), true);
    EXPECT_EQ(palette.preset, ThemePreset::berry);
    EXPECT_EQ(palette.accent, hex("#B48CF2"));
    EXPECT_EQ(palette.accentSecondary, hex("#E28BC4"));
    EXPECT_EQ(palette.text, hex("#EDF0FA"));
    EXPECT_EQ(palette.onAccent, QColor(Qt::black));
    EXPECT_EQ(palette.warning, hex("#FFB766"));
    EXPECT_EQ(palette.backgroundMiddle, hex("#271731"));
}

TEST(ThemePalette, LightAccentIsDarkenedInLightPalettes)
{
    const ThemePalette palette = ThemeEnvironment::windowPalette(themeSettings("deepBlue", "light"), true);
    EXPECT_FALSE(palette.tokens.isDark);
    EXPECT_EQ(palette.accent, hex("#3E6FE0"));
    EXPECT_EQ(palette.accentSecondary, hex("#8FA9F2"));
    EXPECT_EQ(palette.onAccent, QColor(Qt::white));
    expectComponents(palette.accentLight, 62 / 255.0 * 0.72, 111 / 255.0 * 0.72, 224 / 255.0 * 0.72);
    EXPECT_EQ(palette.text, hex("#1B1F27"));
    EXPECT_EQ(palette.hairline.rgb(), qRgb(0, 0, 0));
    EXPECT_NEAR(palette.hairline.alphaF(), 0.09, 1e-4);
}

TEST(ThemePalette, LightAccentIsLightenedInDarkPalettes)
{
    const ThemePalette palette = ThemeEnvironment::windowPalette(themeSettings("celadon", "dark"), false);
    EXPECT_EQ(palette.accent, hex("#4FB89A"));
    expectComponents(palette.accentLight, 0.6894, 0.8747, 0.8218);
    EXPECT_EQ(palette.raisedFill.rgb(), qRgb(255, 255, 255));
    EXPECT_NEAR(palette.raisedFill.alphaF(), 0.07, 1e-4);
}

TEST(ThemePalette, CustomAccentChangesOnlyTheAccentColours)
{
    const ThemePalette preset = ThemeEnvironment::windowPalette(themeSettings("seaSalt", "light"), false);
    const ThemePalette custom = ThemeEnvironment::windowPalette(
        themeSettings("seaSalt", "light", QStringLiteral(" #FF0000 ")), false);
    EXPECT_EQ(custom.accent, QColor(Qt::red));
    EXPECT_EQ(custom.onAccent, QColor(Qt::black));
    EXPECT_EQ(custom.accentSecondary, preset.accentSecondary);
    EXPECT_EQ(custom.backgroundTop, preset.backgroundTop);
    EXPECT_EQ(custom.panelTint, preset.panelTint);
    EXPECT_EQ(custom.playerTint, preset.playerTint);
    EXPECT_NE(custom, preset);
}

TEST(ThemePalette, GradientsRunFromTheAccent)
{
    const ThemePalette palette = ThemeEnvironment::windowPalette(themeSettings("deepBlue", "dark"), false);
    const QGradientStops accentStops = palette.accentGradient.stops();
    ASSERT_EQ(accentStops.size(), 2);
    EXPECT_EQ(accentStops.first().second, palette.accent);
    EXPECT_EQ(accentStops.last().second, hex("#D660A8"));
    EXPECT_EQ(palette.accentGradient.start(), QPointF(0, 0.5));
    EXPECT_EQ(palette.accentGradient.finalStop(), QPointF(1, 0.5));

    const QGradientStops coverStops = palette.coverGradient.stops();
    ASSERT_EQ(coverStops.size(), 3);
    EXPECT_EQ(coverStops.at(1).first, 0.5);
    EXPECT_EQ(coverStops.last().second, hex("#C45B8E"));
}

TEST(ThemePalette, UnparsableAccentTextFallsBackToSoftBlue)
{
    const ThemePalette palette(ThemePreset::morning, ThemeTokens { QStringLiteral("#GGGGGG"), false });
    expectComponents(palette.accent, 0.48, 0.64, 1.0);
    EXPECT_EQ(palette.onAccent, QColor(Qt::white));
}

TEST(ThemePalette, UnknownSettingsNamesGiveDeepBlueFollowingTheSystem)
{
    const ThemePalette palette = ThemeEnvironment::windowPalette(themeSettings("Celadon", "auto"), true);
    EXPECT_EQ(palette.preset, ThemePreset::deepBlue);
    EXPECT_TRUE(palette.tokens.isDark);
}

TEST(ThemeEnvironment, ViewsOutsideAnyRootUseTheDeepBlueDarkPalette)
{
    QWidget loose;
    const ThemePalette palette = ThemeEnvironment::theme(&loose);
    EXPECT_EQ(palette.preset, ThemePreset::deepBlue);
    EXPECT_EQ(palette.tokens, ThemeCatalog::tokens(ThemePreset::deepBlue, true, std::nullopt));
    EXPECT_EQ(palette.accent, hex("#7AA2FF"));
    EXPECT_EQ(&ThemeEnvironment::defaultTheme(), &ThemeEnvironment::defaultTheme());
}

TEST(ThemeEnvironment, DescendantsAndOwnedWindowsDrawWithTheRootsPalette)
{
    QWidget root;
    auto *inner = new QWidget(new QWidget(&root));
    auto *popup = new QWidget(&root, Qt::Popup);
    const ThemePalette berry = ThemeEnvironment::windowPalette(themeSettings("berry", "light"), false);
    ThemeEnvironment::setTheme(&root, berry);
    EXPECT_EQ(ThemeEnvironment::theme(inner), berry);
    EXPECT_EQ(ThemeEnvironment::theme(popup), berry);

    // A nearer root wins.
    const ThemePalette swatch = ThemeEnvironment::windowPalette(themeSettings("seaSalt", "light"), false);
    ThemeEnvironment::setTheme(inner->parentWidget(), swatch);
    EXPECT_EQ(ThemeEnvironment::theme(inner), swatch);
    EXPECT_EQ(ThemeEnvironment::theme(popup), berry);
}

TEST(ThemeEnvironment, SystemSwitchReachesEveryRootInSystemMode)
{
    FakeColorScheme scheme;
    ThemeEnvironment environment(scheme);
    environment.setSettings(themeSettings("celadon", "system"));
    QWidget mainWindow;
    QWidget miniPlayer;
    auto *child = new QWidget(&miniPlayer);
    environment.addRoot(&mainWindow);
    environment.addRoot(&miniPlayer);
    EXPECT_FALSE(ThemeEnvironment::theme(&mainWindow).tokens.isDark);

    int changes = 0;
    QObject::connect(&environment, &ThemeEnvironment::paletteChanged, [&] { ++changes; });
    scheme.setDark(true);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(ThemeEnvironment::theme(&mainWindow).tokens.isDark);
    EXPECT_EQ(ThemeEnvironment::theme(child).accent, hex("#4FB89A"));
}

TEST(ThemeEnvironment, FixedModesIgnoreTheSystem)
{
    FakeColorScheme scheme;
    ThemeEnvironment environment(scheme);
    for (const char *mode : { "light", "dark" }) {
        environment.setSettings(themeSettings("morning", mode));
        QWidget root;
        environment.addRoot(&root);
        const ThemePalette before = ThemeEnvironment::theme(&root);
        int changes = 0;
        const auto connection
            = QObject::connect(&environment, &ThemeEnvironment::paletteChanged, [&] { ++changes; });
        scheme.setDark(!scheme.isDark());
        EXPECT_EQ(changes, 0) << mode;
        EXPECT_EQ(ThemeEnvironment::theme(&root), before) << mode;
        QObject::disconnect(connection);
    }
}

TEST(ThemeEnvironment, SettingsChangesReachLiveRootsAndSkipDestroyedOnes)
{
    FakeColorScheme scheme;
    ThemeEnvironment environment(scheme);
    QWidget kept;
    environment.addRoot(&kept);
    {
        QWidget closed;
        environment.addRoot(&closed);
    }
    environment.setSettings(themeSettings("inkAmber", "dark", QStringLiteral("a1b2c3")));
    EXPECT_EQ(ThemeEnvironment::theme(&kept), environment.palette());
    EXPECT_EQ(environment.palette().tokens.accentHex, QStringLiteral("a1b2c3"));
}

TEST(ThemeEnvironment, HexStringOfPickedColours)
{
    EXPECT_EQ(ThemeEnvironment::hexString(QColor(Qt::red)), QStringLiteral("#FF0000"));
    EXPECT_EQ(ThemeEnvironment::hexString(QColor(0x3E, 0x6F, 0xE0, 40)), QStringLiteral("#3E6FE0"));
    EXPECT_EQ(ThemeEnvironment::hexString(QColor::fromHsv(120, 255, 255)), QStringLiteral("#00FF00"));
    EXPECT_EQ(ThemeEnvironment::hexString(QColor::fromCmykF(0, 1, 1, 0)), QStringLiteral("#FF0000"));
    EXPECT_EQ(ThemeEnvironment::hexString(QColor()), QStringLiteral("#FFFFFF"));
}

#include "ThemePaletteTest.moc"
