#include "TrackListSymbols.h"

#include "UI/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace TrackListSymbols {

QImage arrowClockwise(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return Icons::lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        // An open ring from the top, round to the upper right, with the arrow head at its start.
        painter.drawArc(QRectF(0.14, 0.14, 0.72, 0.72), 75 * 16, -320 * 16);
        QPainterPath head;
        head.moveTo(0.46, 0.04);
        head.lineTo(0.62, 0.15);
        head.lineTo(0.47, 0.28);
        painter.drawPath(head);
    });
}

QImage chevron(bool up, qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return Icons::lineSymbol(pointSize, weight, devicePixelRatio, [up](QPainter &painter) {
        QPen pen = painter.pen();
        pen.setWidthF(pen.widthF() * 1.6);
        painter.setPen(pen);
        const qreal tip = up ? 0.3 : 0.7;
        const qreal ends = up ? 0.7 : 0.3;
        painter.drawPolyline(QPolygonF{{0.15, ends}, {0.5, tip}, {0.85, ends}});
    });
}

QImage warningTriangle(qreal pointSize, qreal devicePixelRatio)
{
    QImage image = Icons::transparentSquare(pointSize, devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pointSize, pointSize);
    QPainterPath triangle;
    triangle.moveTo(0.5, 0.06);
    triangle.lineTo(0.96, 0.9);
    triangle.lineTo(0.04, 0.9);
    triangle.closeSubpath();
    painter.setPen(QPen(Qt::black, 0.08, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::black);
    painter.drawPath(triangle);
    // The exclamation mark is cut out of the fill.
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(QRectF(0.455, 0.33, 0.09, 0.3), 0.04, 0.04);
    painter.drawEllipse(QPointF(0.5, 0.75), 0.055, 0.055);
    return image;
}

QImage xmark(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return Icons::lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawLine(QPointF(0.22, 0.22), QPointF(0.78, 0.78));
        painter.drawLine(QPointF(0.78, 0.22), QPointF(0.22, 0.78));
    });
}

QImage musicNoteList(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return Icons::lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawLine(QPointF(0.08, 0.2), QPointF(0.5, 0.2));
        painter.drawLine(QPointF(0.08, 0.4), QPointF(0.5, 0.4));
        painter.drawLine(QPointF(0.08, 0.6), QPointF(0.36, 0.6));
        // A note beside the lines: stem, flag and head.
        painter.drawLine(QPointF(0.8, 0.16), QPointF(0.8, 0.74));
        painter.drawLine(QPointF(0.8, 0.16), QPointF(0.94, 0.26));
        painter.save();
        painter.setBrush(Qt::black);
        painter.drawEllipse(QPointF(0.7, 0.76), 0.1, 0.08);
        painter.restore();
    });
}

QImage pencil(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return Icons::lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        QPainterPath body;
        body.moveTo(0.68, 0.12);
        body.lineTo(0.88, 0.32);
        body.lineTo(0.34, 0.86);
        body.lineTo(0.1, 0.9);
        body.lineTo(0.14, 0.66);
        body.closeSubpath();
        painter.drawPath(body);
        painter.drawLine(QPointF(0.58, 0.22), QPointF(0.78, 0.42));
    });
}

QImage wandAndStars(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return Icons::lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawLine(QPointF(0.1, 0.9), QPointF(0.62, 0.38));
        painter.drawLine(QPointF(0.56, 0.32), QPointF(0.68, 0.44));
        for (const QPointF &star : {QPointF(0.72, 0.16), QPointF(0.36, 0.2), QPointF(0.84, 0.6)}) {
            painter.drawLine(star + QPointF(-0.07, 0), star + QPointF(0.07, 0));
            painter.drawLine(star + QPointF(0, -0.07), star + QPointF(0, 0.07));
        }
    });
}

QImage folder(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return Icons::lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        QPainterPath outline;
        outline.moveTo(0.08, 0.8);
        outline.lineTo(0.08, 0.2);
        outline.lineTo(0.36, 0.2);
        outline.lineTo(0.44, 0.3);
        outline.lineTo(0.92, 0.3);
        outline.lineTo(0.92, 0.8);
        outline.closeSubpath();
        painter.drawPath(outline);
        painter.drawLine(QPointF(0.08, 0.4), QPointF(0.92, 0.4));
    });
}

QImage trash(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return Icons::lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawLine(QPointF(0.12, 0.24), QPointF(0.88, 0.24));
        painter.drawPolyline(QPolygonF{{0.38, 0.24}, {0.4, 0.1}, {0.6, 0.1}, {0.62, 0.24}});
        painter.drawPolyline(QPolygonF{{0.2, 0.24}, {0.26, 0.9}, {0.74, 0.9}, {0.8, 0.24}});
        painter.drawLine(QPointF(0.42, 0.4), QPointF(0.43, 0.74));
        painter.drawLine(QPointF(0.58, 0.4), QPointF(0.57, 0.74));
    });
}

QImage minusCircle(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return Icons::lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawEllipse(QPointF(0.5, 0.5), 0.4, 0.4);
        painter.drawLine(QPointF(0.3, 0.5), QPointF(0.7, 0.5));
    });
}

} // namespace TrackListSymbols
