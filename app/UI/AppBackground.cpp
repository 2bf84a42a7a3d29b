#include "AppBackground.h"

#include "SoftGlow.h"
#include "ThemeEnvironment.h"

#include <QPainter>
#include <QRadialGradient>

namespace {

constexpr qreal glowBlurRadius = 120;

// A blurred circle whose centre lies `offset` from the middle of `area`.
void drawGlow(QPainter &painter, const QRectF &area, qreal diameter, QPointF offset, const QColor &color)
{
    const qreal extent = SoftGlow::extent(diameter, glowBlurRadius);
    const QPointF centre = area.center() + offset;
    const QRectF target(centre - QPointF(extent, extent), QSizeF(2 * extent, 2 * extent));
    painter.drawImage(target, SoftGlow::image(diameter, glowBlurRadius, color));
}

// A pool of light fading from `color` at a point given in unit coordinates of `area`.
void drawPool(QPainter &painter, const QRectF &area, QPointF unitCentre, qreal radius, const QColor &color)
{
    const QPointF centre(
        area.left() + unitCentre.x() * area.width(), area.top() + unitCentre.y() * area.height());
    QRadialGradient gradient(centre, radius);
    gradient.setColorAt(0, color);
    gradient.setColorAt(1, Qt::transparent);
    painter.fillRect(area, gradient);
}

} // namespace

AppBackground::AppBackground(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void AppBackground::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const bool dark = palette.tokens.isDark;
    const QRectF area = rect();

    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    QLinearGradient base(0, 0, 1, 1);
    base.setCoordinateMode(QGradient::ObjectBoundingMode);
    base.setColorAt(0, palette.backgroundTop);
    base.setColorAt(0.5, palette.backgroundMiddle);
    base.setColorAt(1, palette.backgroundBottom);
    painter.fillRect(area, base);

    drawGlow(painter, area, 420, { -250, -210 }, ThemePalette::withAlpha(palette.accent, dark ? 0.22 : 0.16));
    drawGlow(painter, area, 380, { 280, 170 }, ThemePalette::withAlpha(palette.accentSecondary, dark ? 0.18 : 0.12));
    drawPool(painter, area, { 0.12, 0.05 }, 480, ThemePalette::withAlpha(palette.accent, dark ? 0.26 : 0.16));
    drawPool(painter, area, { 0.88, 0.22 }, 420, ThemePalette::withAlpha(palette.accentSecondary, dark ? 0.18 : 0.12));
}
