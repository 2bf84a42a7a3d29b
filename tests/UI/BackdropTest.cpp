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

TEST(SoftGlow, MatchesTheBlurredDiscAtItsCentreAndFadesOutAtItsEdge)
{
    const QImage glow = SoftGlow::image(420, 120, QColor(255, 0, 0, 255));
    const qreal extent = SoftGlow::extent(420, 120);
    EXPECT_EQ(extent, 570);
    EXPECT_NEAR(glow.deviceIndependentSize().width(), 2 * extent, 2);

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
}

TEST(SoftGlow, IsMadeOnceAndReused)
{
    const QColor colour(10, 200, 30, 40);
    const QImage first = SoftGlow::image(380, 120, colour);
    const QImage again = SoftGlow::image(380, 120, colour);
    EXPECT_EQ(first.cacheKey(), again.cacheKey());
    EXPECT_NE(SoftGlow::image(380, 120, QColor(10, 200, 31, 40)).cacheKey(), first.cacheKey());
}

TEST(AppBackground, IsOpaqueAndFollowsTheDarkAndLightBackgrounds)
{
    for (const bool dark : { false, true }) {
        AppBackground background;
        background.resize(900, 600);
        ThemeEnvironment::setTheme(&background, palette(ThemePreset::celadon, dark));
        const QImage image = rendered(background);
        for (const QPoint point : { QPoint(0, 0), QPoint(450, 300), QPoint(899, 599), QPoint(0, 599) })
            EXPECT_EQ(qAlpha(image.pixel(point)), 255);
        const int lightness = QColor(image.pixel(880, 590)).lightness();
        if (dark)
            EXPECT_LT(lightness, 60);
        else
            EXPECT_GT(lightness, 200);
    }
}

TEST(AppBackground, PlacesTheAccentGlowUpLeftAndTheSecondaryDownRight)
{
    // A red accent and a teal secondary on celadon's near-black backgrounds.
    AppBackground background;
    background.resize(1200, 800);
    ThemeEnvironment::setTheme(&background, palette(ThemePreset::celadon, true, QStringLiteral("#FF0000")));
    const QImage image = rendered(background);
    const QColor accentGlow = image.pixel(600 - 250, 400 - 210);
    const QColor secondaryGlow = image.pixel(600 + 280, 400 + 170);
    const QColor between = image.pixel(1100, 60);
    EXPECT_GT(accentGlow.red(), accentGlow.green() + 40);
    EXPECT_GT(secondaryGlow.green(), secondaryGlow.red() + 20);
    EXPECT_GT(accentGlow.red(), between.red() + 40);
}

TEST(AppBackground, DrawsTheDefaultPaletteOutsideAnyRoot)
{
    AppBackground loose;
    loose.resize(300, 200);
    AppBackground themed;
    themed.resize(300, 200);
    ThemeEnvironment::setTheme(&themed, ThemeEnvironment::defaultTheme());
    EXPECT_EQ(rendered(loose), rendered(themed));
}

TEST(GlassPanel, KeepsTheContentsSizeAndDrawsTintOverMaterialInsideAWindow)
{
    auto *content = new QLabel(QStringLiteral("松开以导入"));
    content->setFixedSize(120, 60);
    GlassPanelModifier *panel = glassPanel(content, 16);
    ThemeEnvironment::setTheme(panel, palette(ThemePreset::deepBlue, true));
    panel->show();
    EXPECT_EQ(panel->size(), QSize(120, 60));
    EXPECT_EQ(content->geometry(), QRect(0, 0, 120, 60));

    const QImage image = rendered(*panel);
    const QRgb middle = image.pixel(60, 2);
    // Ultra-thin material (0.35) under the panel tint (0.55 when dark) lets the window show.
    EXPECT_GT(qAlpha(middle), 150);
    EXPECT_LT(qAlpha(middle), 220);
    // Rounded corners leave the very corner clear.
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    delete panel;
}

TEST(GlassPanel, DrawsAHairlineInsideItsEdgeAboveTheContent)
{
    auto *content = new QWidget;
    content->setAutoFillBackground(true);
    QPalette fill = content->palette();
    fill.setColor(QPalette::Window, Qt::black);
    content->setPalette(fill);
    GlassPanelModifier panel(content, 0);
    ThemeEnvironment::setTheme(&panel, palette(ThemePreset::berry, true));
    panel.resize(100, 40);
    const QImage image = rendered(panel);
    // The white hairline lightens the content's edge pixels but not its inside.
    EXPECT_GT(qRed(image.pixel(50, 0)), 0);
    EXPECT_EQ(qRed(image.pixel(50, 20)), 0);
}

TEST(GlassPanel, IsOpaqueInATranslucentWindowWithoutACompositor)
{
    GlassPanelModifier panel(new QWidget, 10);
    panel.setAttribute(Qt::WA_TranslucentBackground);
    ThemeEnvironment::setTheme(&panel, palette(ThemePreset::deepBlue, true));
    panel.resize(100, 40);
    EXPECT_EQ(qAlpha(rendered(panel).pixel(50, 20)), 255);
}

TEST(MaterialBackdrop, TintIsTranslucentOnlyWhereTheDesktopCanShow)
{
    MaterialBackdrop inWindow(
        MaterialBackdrop::Material::hudWindow, MaterialBackdrop::BlendingMode::withinWindow);
    inWindow.resize(50, 50);
    ThemeEnvironment::setTheme(&inWindow, palette(ThemePreset::seaSalt, true));
    const QRgb translucent = rendered(inWindow).pixel(25, 25);
    EXPECT_LT(qAlpha(translucent), 255);
    EXPECT_GT(qAlpha(translucent), 0);

    MaterialBackdrop floating(
        MaterialBackdrop::Material::hudWindow, MaterialBackdrop::BlendingMode::behindWindow);
    floating.setAttribute(Qt::WA_TranslucentBackground);
    floating.resize(50, 50);
    ThemeEnvironment::setTheme(&floating, palette(ThemePreset::seaSalt, true));
    const QRgb opaque = rendered(floating).pixel(25, 25);
    EXPECT_EQ(qAlpha(opaque), 255);
    EXPECT_EQ(QColor(opaque).rgb(),
        MaterialBackdrop::tint(MaterialBackdrop::Material::hudWindow, true, false).rgb());
}

TEST(MaterialBackdrop, FollowsThePalettesAppearanceAndItsMaterial)
{
    MaterialBackdrop backdrop(
        MaterialBackdrop::Material::popover, MaterialBackdrop::BlendingMode::behindWindow);
    backdrop.setAttribute(Qt::WA_TranslucentBackground);
    backdrop.resize(20, 20);
    ThemeEnvironment::setTheme(&backdrop, palette(ThemePreset::morning, false));
    const int lightPopover = QColor(rendered(backdrop).pixel(10, 10)).lightness();
    ThemeEnvironment::setTheme(&backdrop, palette(ThemePreset::morning, true));
    const int darkPopover = QColor(rendered(backdrop).pixel(10, 10)).lightness();
    EXPECT_GT(lightPopover, 200);
    EXPECT_LT(darkPopover, 80);

    backdrop.setMaterial(MaterialBackdrop::Material::underWindowBackground);
    backdrop.setBlendingMode(MaterialBackdrop::BlendingMode::withinWindow);
    EXPECT_EQ(backdrop.material(), MaterialBackdrop::Material::underWindowBackground);
    EXPECT_EQ(QColor(rendered(backdrop).pixel(10, 10)).rgb(),
        MaterialBackdrop::tint(MaterialBackdrop::Material::underWindowBackground, true, false).rgb());
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
