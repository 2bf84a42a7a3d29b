#include "OverlaySymbols.h"

#include "UI/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal unitLineWidth = 0.09;

// `draw` paints in a unit square with a round pen.
template <typename Draw>
QImage symbol(qreal pointSize, qreal devicePixelRatio, Draw draw)
{
    return Icons::lineSymbol(pointSize, unitLineWidth, devicePixelRatio, draw);
}

// A capital A with a small size arrow beside it.
void letterWithArrow(QPainter &painter, bool larger)
{
    QPainterPath letter;
    letter.moveTo(0.08, 0.86);
    letter.lineTo(0.34, 0.16);
    letter.lineTo(0.6, 0.86);
    letter.moveTo(0.18, 0.6);
    letter.lineTo(0.5, 0.6);
    painter.drawPath(letter);
    QPainterPath arrow;
    if (larger) {
        arrow.moveTo(0.7, 0.42);
        arrow.lineTo(0.82, 0.28);
        arrow.lineTo(0.94, 0.42);
    } else {
        arrow.moveTo(0.7, 0.3);
        arrow.lineTo(0.82, 0.44);
        arrow.lineTo(0.94, 0.3);
    }
    painter.drawPath(arrow);
}

void miniWindow(QPainter &painter)
{
    painter.drawRoundedRect(QRectF(0.1, 0.2, 0.8, 0.6), 0.1, 0.1);
    painter.drawLine(QPointF(0.5, 0.02), QPointF(0.5, 0.14));
    painter.drawLine(QPointF(0.5, 0.86), QPointF(0.5, 0.98));
    painter.drawLine(QPointF(0.25, 0.5), QPointF(0.75, 0.5));
}

} // namespace

namespace OverlaySymbols {

QImage lockOpen(qreal pointSize, qreal devicePixelRatio)
{
    return symbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        painter.setBrush(Qt::black);
        painter.drawRoundedRect(QRectF(0.14, 0.48, 0.56, 0.42), 0.08, 0.08);
        painter.setBrush(Qt::NoBrush);
        QPainterPath shackle;
        shackle.moveTo(0.56, 0.48);
        shackle.lineTo(0.56, 0.3);
        shackle.arcTo(QRectF(0.56, 0.08, 0.32, 0.36), 180, -180);
        shackle.lineTo(0.88, 0.36);
        painter.drawPath(shackle);
    });
}

QImage textSmaller(qreal pointSize, qreal devicePixelRatio)
{
    return symbol(pointSize, devicePixelRatio, [](QPainter &painter) { letterWithArrow(painter, false); });
}

QImage textLarger(qreal pointSize, qreal devicePixelRatio)
{
    return symbol(pointSize, devicePixelRatio, [](QPainter &painter) { letterWithArrow(painter, true); });
}

QImage miniPlayerOpen(qreal pointSize, qreal devicePixelRatio)
{
    return symbol(pointSize, devicePixelRatio, [](QPainter &painter) { miniWindow(painter); });
}

QImage miniPlayerClose(qreal pointSize, qreal devicePixelRatio)
{
    return symbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        painter.drawRoundedRect(QRectF(0.1, 0.2, 0.8, 0.6), 0.1, 0.1);
        painter.drawLine(QPointF(0.12, 0.9), QPointF(0.88, 0.1));
    });
}

QImage cross(qreal pointSize, qreal devicePixelRatio)
{
    return symbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        painter.drawLine(QPointF(0.22, 0.22), QPointF(0.78, 0.78));
        painter.drawLine(QPointF(0.78, 0.22), QPointF(0.22, 0.78));
    });
}

QImage moveArrows(qreal pointSize, qreal devicePixelRatio)
{
    return symbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        painter.drawLine(QPointF(0.5, 0.06), QPointF(0.5, 0.94));
        painter.drawLine(QPointF(0.06, 0.5), QPointF(0.94, 0.5));
        QPainterPath heads;
        for (int turn = 0; turn < 4; ++turn) {
            QTransform rotation;
            rotation.translate(0.5, 0.5).rotate(90 * turn).translate(-0.5, -0.5);
            QPainterPath head;
            head.moveTo(0.36, 0.2);
            head.lineTo(0.5, 0.06);
            head.lineTo(0.64, 0.2);
            heads.addPath(rotation.map(head));
        }
        painter.drawPath(heads);
    });
}

} // namespace OverlaySymbols
