#pragma once

#include <QColor>
#include <QMargins>
#include <QPointF>
#include <QRectF>

class QPainter;

// The soft shadow under a frameless floating window. X11 and Wayland leave the shadows of such
// windows to the application, so the window paints its own into a margin around its shape.
namespace WindowShadow {

struct Style
{
    QColor color;
    // Blur radius, in logical pixels.
    qreal radius;
    QPointF offset;
};

// The shadow a floating panel casts.
inline const Style panel{QColor(0, 0, 0, 64), 12, QPointF(0, 4)};

// Room the shadow takes around the shape, on each side.
QMargins margins(const Style &style);
// The shadow of a rounded rectangle. Made once per radius and style, then stretched.
void paint(QPainter &painter, const QRectF &shape, qreal cornerRadius, const Style &style);

} // namespace WindowShadow
