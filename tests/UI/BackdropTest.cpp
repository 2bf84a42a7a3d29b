#include "UI/AppBackground.h"
#include "UI/GlassPanelModifier.h"
#include "UI/MaterialBackdrop.h"
#include "UI/SoftGlow.h"
#include "UI/ThemeEnvironment.h"
#include "UI/WindowShadow.h"

#include "Theme/ThemeCatalog.h"

#include <QImage>
#include <QLabel>
#include <QPainter>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

ThemePalette palette(ThemePreset preset, bool dark, std::optional<QString> accent = std::nullopt)
{
    return ThemePalette(preset, ThemeCatalog::tokens(preset, dark, accent));
}

// What the widget itself paints, over full transparency.
QImage rendered(QWidget &widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

TEST(SoftGlow, MatchesTheBlurredDiscFadesOutAtItsEdgeAndIsMadeOnce)
{
    const QImage glow = SoftGlow::image(420, 120, QColor(255, 0, 0, 255));
    EXPECT_NEAR(glow.deviceIndependentSize().width(), 2 * SoftGlow::extent(420, 120), 2);
    // At the centre a Gaussian of deviation s over a disc of radius R covers 1 - exp(-R²/2s²).
    const QPoint centre(glow.width() / 2, glow.height() / 2);
    const double expected = 1 - std::exp(-210.0 * 210.0 / (2 * 120.0 * 120.0));
    EXPECT_NEAR(qAlpha(glow.pixel(centre)) / 255.0, expected, 0.01);
    EXPECT_EQ(qRed(glow.pixel(centre)), qAlpha(glow.pixel(centre)));
    EXPECT_EQ(qGreen(glow.pixel(centre)), 0);
    // About half the light at the circle's rim, none at the image's edge.
    const QPoint rim(centre.x() + int(210 * glow.devicePixelRatio()), centre.y());
    EXPECT_NEAR(qAlpha(glow.pixel(rim)) / 255.0, 0.5 * expected, 0.12);
    EXPECT_LE(qAlpha(glow.pixel(0, centre.y())), 1);
    EXPECT_EQ(qAlpha(glow.pixel(0, 0)), 0);

    EXPECT_EQ(SoftGlow::image(420, 120, QColor(255, 0, 0, 255)).cacheKey(), glow.cacheKey());
    EXPECT_NE(SoftGlow::image(420, 120, QColor(255, 0, 1, 255)).cacheKey(), glow.cacheKey());
}

TEST(AppBackground, IsOpaqueFollowsTheAppearanceAndPlacesTheGlows)
{
    for (const bool dark : {false, true}) {
        AppBackground background;
        background.resize(900, 600);
        ThemeEnvironment::setTheme(&background, palette(ThemePreset::celadon, dark));
        const QImage image = rendered(background);
        for (const QPoint point : {QPoint(0, 0), QPoint(450, 300), QPoint(899, 599), QPoint(0, 599)})
            EXPECT_EQ(qAlpha(image.pixel(point)), 255);
        const int lightness = QColor(image.pixel(880, 590)).lightness();
        EXPECT_TRUE(dark ? lightness < 60 : lightness > 200) << lightness;
    }

    // A red accent glows up left, celadon's teal secondary down right.
    AppBackground background;
    background.resize(1200, 800);
    ThemeEnvironment::setTheme(&background, palette(ThemePreset::celadon, true, QStringLiteral("#FF0000")));
    const QImage image = rendered(background);
    const QColor accentGlow = image.pixel(600 - 250, 400 - 210);
    const QColor secondaryGlow = image.pixel(600 + 280, 400 + 170);
    EXPECT_GT(accentGlow.red(), accentGlow.green() + 40);
    EXPECT_GT(secondaryGlow.green(), secondaryGlow.red() + 20);
    EXPECT_GT(accentGlow.red(), QColor(image.pixel(1100, 60)).red() + 40);

    // Outside any root it draws the default palette.
    AppBackground loose;
    loose.resize(300, 200);
    AppBackground themed;
    themed.resize(300, 200);
    ThemeEnvironment::setTheme(&themed, ThemeEnvironment::defaultTheme());
    EXPECT_EQ(rendered(loose), rendered(themed));
}

TEST(GlassPanel, KeepsTheContentsSizeDrawsTintHairlineAndCornersAndIsOpaqueWithoutACompositor)
{
    auto *label = new QLabel(QStringLiteral("松开以导入"));
    label->setFixedSize(120, 60);
    std::unique_ptr<GlassPanelModifier> panel(glassPanel(label, 16));
    ThemeEnvironment::setTheme(panel.get(), palette(ThemePreset::deepBlue, true));
    panel->show();
    EXPECT_EQ(panel->size(), QSize(120, 60));
    EXPECT_EQ(label->geometry(), QRect(0, 0, 120, 60));
    const QImage image = rendered(*panel);
    // Ultra-thin material (0.35) under the panel tint (0.55 when dark) lets the window show.
    EXPECT_GT(qAlpha(image.pixel(60, 2)), 150);
    EXPECT_LT(qAlpha(image.pixel(60, 2)), 220);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "rounded corner";

    // The white hairline lightens a black content's edge pixels but not its inside.
    auto *black = new QWidget;
    black->setAutoFillBackground(true);
    QPalette fill = black->palette();
    fill.setColor(QPalette::Window, Qt::black);
    black->setPalette(fill);
    GlassPanelModifier square(black, 0);
    ThemeEnvironment::setTheme(&square, palette(ThemePreset::berry, true));
    square.resize(100, 40);
    const QImage lined = rendered(square);
    EXPECT_GT(qRed(lined.pixel(50, 0)), 0);
    EXPECT_EQ(qRed(lined.pixel(50, 20)), 0);

    GlassPanelModifier translucent(new QWidget, 10);
    translucent.setAttribute(Qt::WA_TranslucentBackground);
    ThemeEnvironment::setTheme(&translucent, palette(ThemePreset::deepBlue, true));
    translucent.resize(100, 40);
    EXPECT_EQ(qAlpha(rendered(translucent).pixel(50, 20)), 255);
}

TEST(MaterialBackdrop, TintIsTranslucentOnlyWhereTheDesktopCanShowAndFollowsAppearanceAndMaterial)
{
    using Material = MaterialBackdrop::Material;
    using Blending = MaterialBackdrop::BlendingMode;
    const auto centre = [](MaterialBackdrop &backdrop, ThemePalette theme) {
        ThemeEnvironment::setTheme(&backdrop, theme);
        return rendered(backdrop).pixel(10, 10);
    };
    MaterialBackdrop inWindow(Material::hudWindow, Blending::withinWindow);
    inWindow.resize(20, 20);
    const QRgb translucent = centre(inWindow, palette(ThemePreset::seaSalt, true));
    EXPECT_LT(qAlpha(translucent), 255);
    EXPECT_GT(qAlpha(translucent), 0);

    MaterialBackdrop floating(Material::hudWindow, Blending::behindWindow);
    floating.setAttribute(Qt::WA_TranslucentBackground);
    floating.resize(20, 20);
    const QRgb opaque = centre(floating, palette(ThemePreset::seaSalt, true));
    EXPECT_EQ(qAlpha(opaque), 255);
    EXPECT_EQ(QColor(opaque).rgb(), MaterialBackdrop::tint(Material::hudWindow, true, false).rgb());

    floating.setMaterial(Material::popover);
    EXPECT_GT(QColor(centre(floating, palette(ThemePreset::morning, false))).lightness(), 200);
    EXPECT_LT(QColor(centre(floating, palette(ThemePreset::morning, true))).lightness(), 80);
    floating.setMaterial(Material::underWindowBackground);
    floating.setBlendingMode(Blending::withinWindow);
    EXPECT_EQ(QColor(centre(floating, palette(ThemePreset::morning, true))).rgb(),
              MaterialBackdrop::tint(Material::underWindowBackground, true, false).rgb());
}

TEST(WindowShadow, FallsBelowTheShapeAndFadesOutWithinItsMargins)
{
    const WindowShadow::Style &style = WindowShadow::panel;
    const QMargins margins = WindowShadow::margins(style);
    EXPECT_GT(margins.bottom(), margins.top());
    const QRect shape(margins.left(), margins.top(), 200, 80);
    QImage image(shape.size().grownBy(margins), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        WindowShadow::paint(painter, shape, 16, style);
    }
    const int middle = shape.center().x();
    // Full strength under the shape, stronger below its edge than above it, gone at the margins' edge.
    EXPECT_NEAR(qAlpha(image.pixel(shape.center())), style.color.alpha(), 2);
    EXPECT_GT(qAlpha(image.pixel(middle, shape.bottom() + 6)), qAlpha(image.pixel(middle, shape.top() - 6)) + 10);
    for (const QPoint edge : {QPoint(0, 0), QPoint(middle, 0), QPoint(middle, image.height() - 1),
                              QPoint(image.width() - 1, shape.center().y())})
        EXPECT_LE(qAlpha(image.pixel(edge)), 2) << edge.x() << "," << edge.y();
}
