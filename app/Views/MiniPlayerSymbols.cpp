#include "MiniPlayerSymbols.h"

#include <QPainter>
#include <QPainterPath>

namespace MiniPlayerSymbols {

namespace {

// A triangle pointing right (or left) inside the unit rectangle, with slightly rounded corners.
QPainterPath triangle(QRectF box, bool pointsRight)
{
    QPainterPath path;
    if (pointsRight) {
        path.moveTo(box.topLeft());
        path.lineTo(box.right(), box.center().y());
        path.lineTo(box.bottomLeft());
    } else {
        path.moveTo(box.topRight());
        path.lineTo(box.left(), box.center().y());
        path.lineTo(box.bottomRight());
    }
    path.closeSubpath();
    return path;
}

void drawFilled(QPainter &painter, Symbol symbol)
{
    const qreal round = 0.06;
    painter.setPen(QPen(Qt::black, round, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::black);
    switch (symbol) {
    case Symbol::play:
        painter.drawPath(triangle(QRectF(0.26, 0.16, 0.6, 0.68), true));
        break;
    case Symbol::pause:
        painter.drawRoundedRect(QRectF(0.22, 0.16, 0.18, 0.68), 0.04, 0.04);
        painter.drawRoundedRect(QRectF(0.6, 0.16, 0.18, 0.68), 0.04, 0.04);
        break;
    case Symbol::previous:
        painter.drawPath(triangle(QRectF(0.3, 0.2, 0.56, 0.6), false));
        painter.drawRoundedRect(QRectF(0.14, 0.2, 0.1, 0.6), 0.03, 0.03);
        break;
    case Symbol::next:
        painter.drawPath(triangle(QRectF(0.14, 0.2, 0.56, 0.6), true));
        painter.drawRoundedRect(QRectF(0.76, 0.2, 0.1, 0.6), 0.03, 0.03);
        break;
    default:
        break;
    }
}

void drawLines(QPainter &painter, Symbol symbol)
{
    painter.setPen(QPen(Qt::black, 0.085, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    if (symbol == Symbol::lyrics) {
        // Four lines flush left, of alternating length.
        const qreal ends[] = {0.86, 0.62, 0.86, 0.5};
        for (int line = 0; line < 4; ++line) {
            const qreal y = 0.2 + line * 0.2;
            painter.drawLine(QPointF(0.14, y), QPointF(ends[line], y));
        }
        return;
    }
    // A frame with arrows pointing out of its top and bottom edges.
    painter.drawRoundedRect(QRectF(0.14, 0.34, 0.72, 0.32), 0.06, 0.06);
    painter.drawLine(QPointF(0.5, 0.06), QPointF(0.5, 0.24));
    painter.drawPolyline(QPolygonF({QPointF(0.38, 0.16), QPointF(0.5, 0.05), QPointF(0.62, 0.16)}));
    painter.drawLine(QPointF(0.5, 0.76), QPointF(0.5, 0.94));
    painter.drawPolyline(QPolygonF({QPointF(0.38, 0.84), QPointF(0.5, 0.95), QPointF(0.62, 0.84)}));
}

} // namespace

QImage image(Symbol symbol, qreal pointSize, qreal devicePixelRatio)
{
    QImage image((QSizeF(pointSize, pointSize) * devicePixelRatio).toSize().expandedTo(QSize(1, 1)),
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pointSize, pointSize);
    if (symbol == Symbol::lyrics || symbol == Symbol::expand)
        drawLines(painter, symbol);
    else
        drawFilled(painter, symbol);
    return image;
}

} // namespace MiniPlayerSymbols
