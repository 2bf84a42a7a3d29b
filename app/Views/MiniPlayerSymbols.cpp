#include "MiniPlayerSymbols.h"

#include "UI/Icons.h"

#include <QPainter>

namespace MiniPlayerSymbols {

QImage rectangleExpandVertical(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    QImage image((QSizeF(pointSize, pointSize) * devicePixelRatio).toSize().expandedTo(QSize(1, 1)),
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pointSize, pointSize);
    const qreal lineWidth = Icons::unitLineWidth(weight);
    painter.setPen(QPen(Qt::black, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawRoundedRect(QRectF(0.12, 0.4, 0.76, 0.2), 0.05, 0.05);
    painter.drawLine(QPointF(0.5, 0.3), QPointF(0.5, 0.06));
    painter.drawPolyline(QPolygonF({QPointF(0.38, 0.17), QPointF(0.5, 0.05), QPointF(0.62, 0.17)}));
    painter.drawLine(QPointF(0.5, 0.7), QPointF(0.5, 0.94));
    painter.drawPolyline(QPolygonF({QPointF(0.38, 0.83), QPointF(0.5, 0.95), QPointF(0.62, 0.83)}));
    return image;
}

} // namespace MiniPlayerSymbols
