#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

namespace {

QImage transparentImage(QSizeF logicalSize, qreal devicePixelRatio)
{
    QImage image((logicalSize * devicePixelRatio).toSize().expandedTo(QSize(1, 1)),
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    return image;
}

// An eighth note in a unit square: oval head at the lower left, stem, flag to the right.
QPainterPath unitMusicNote(qreal stemWidth)
{
    QPainterPath head;
    head.addEllipse(QPointF(0, 0), 0.21, 0.155);
    QPainterPath note = QTransform().translate(0.34, 0.79).rotate(-22).map(head);

    const qreal stemRight = 0.53;
    const qreal stemLeft = stemRight - stemWidth;
    note.addRect(QRectF(QPointF(stemLeft, 0.08), QPointF(stemRight, 0.76)));

    QPainterPath flag;
    flag.moveTo(stemLeft, 0.08);
    flag.cubicTo(stemRight + 0.02, 0.2, 0.86, 0.24, 0.8, 0.5);
    flag.cubicTo(0.76, 0.36, stemRight + 0.08, 0.33, stemLeft, 0.34);
    flag.closeSubpath();
    note.addPath(flag);
    note.setFillRule(Qt::WindingFill);
    return note;
}

} // namespace

namespace Icons {

QImage tinted(const QImage &templateImage, const QColor &color)
{
    QImage image = templateImage.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), image.deviceIndependentSize()), color);
    return image;
}

QImage musicNote(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    QImage image = transparentImage(QSizeF(pointSize, pointSize), devicePixelRatio);
    // 0.045 of the square at the regular weight, 0.06 at semibold.
    const qreal stemWidth = 0.015 + 0.075 * qreal(weight) / 1000.0;
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pointSize, pointSize);
    painter.fillPath(unitMusicNote(stemWidth), Qt::black);
    return image;
}

} // namespace Icons
