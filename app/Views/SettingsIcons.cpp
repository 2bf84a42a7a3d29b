#include "SettingsIcons.h"

#include "UI/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal lineWidth = 0.075;

// A template drawn by `draw` in a unit square with a round black pen.
template <typename Draw>
QImage lineSymbol(qreal pointSize, qreal devicePixelRatio, Draw draw)
{
    return Icons::lineSymbol(pointSize, lineWidth, devicePixelRatio, draw);
}

} // namespace

namespace SettingsIcons {

QImage tag(qreal pointSize, qreal devicePixelRatio)
{
    return lineSymbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        QPainterPath outline;
        outline.moveTo(0.12, 0.16);
        outline.lineTo(0.5, 0.16);
        outline.lineTo(0.88, 0.54);
        outline.lineTo(0.54, 0.88);
        outline.lineTo(0.12, 0.5);
        outline.closeSubpath();
        painter.drawPath(outline);
        painter.drawEllipse(QPointF(0.3, 0.34), 0.06, 0.06);
    });
}

QImage folder(qreal pointSize, qreal devicePixelRatio)
{
    return lineSymbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        QPainterPath outline;
        outline.moveTo(0.1, 0.26);
        outline.lineTo(0.38, 0.26);
        outline.lineTo(0.46, 0.34);
        outline.lineTo(0.9, 0.34);
        outline.lineTo(0.9, 0.8);
        outline.lineTo(0.1, 0.8);
        outline.closeSubpath();
        painter.drawPath(outline);
        painter.drawLine(QPointF(0.1, 0.44), QPointF(0.9, 0.44));
    });
}

QImage internalDrive(qreal pointSize, qreal devicePixelRatio)
{
    return lineSymbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        painter.drawRoundedRect(QRectF(0.08, 0.3, 0.84, 0.42), 0.1, 0.1);
        painter.drawLine(QPointF(0.08, 0.52), QPointF(0.92, 0.52));
        painter.setBrush(Qt::black);
        painter.drawEllipse(QPointF(0.76, 0.62), 0.03, 0.03);
    });
}

QImage textAlignLeft(qreal pointSize, qreal devicePixelRatio)
{
    return lineSymbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        const qreal lengths[] = {0.76, 0.5, 0.7, 0.42};
        for (int line = 0; line < 4; ++line) {
            const qreal y = 0.22 + line * 0.19;
            painter.drawLine(QPointF(0.12, y), QPointF(0.12 + lengths[line], y));
        }
    });
}

QImage paintPalette(qreal pointSize, qreal devicePixelRatio)
{
    return lineSymbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        QPainterPath outline;
        outline.moveTo(0.5, 0.1);
        outline.cubicTo(0.8, 0.1, 0.92, 0.34, 0.9, 0.5);
        outline.cubicTo(0.88, 0.66, 0.7, 0.62, 0.62, 0.66);
        outline.cubicTo(0.54, 0.72, 0.64, 0.9, 0.5, 0.9);
        outline.cubicTo(0.24, 0.9, 0.1, 0.72, 0.1, 0.5);
        outline.cubicTo(0.1, 0.28, 0.28, 0.1, 0.5, 0.1);
        painter.drawPath(outline);
        painter.setBrush(Qt::black);
        painter.setPen(Qt::NoPen);
        for (const QPointF &dot : {QPointF(0.32, 0.36), QPointF(0.5, 0.26), QPointF(0.68, 0.36), QPointF(0.3, 0.58)})
            painter.drawEllipse(dot, 0.055, 0.055);
    });
}

} // namespace SettingsIcons
