#include "Icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <QtMath>

#include <cmath>

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

// Line width in unit coordinates for a font weight: 0.08 of the square at the regular weight.
qreal unitLineWidth(QFont::Weight weight)
{
    return 0.02 + 0.15 * qreal(weight) / 1000.0;
}

// A line symbol drawn by `draw` in a unit square with a round pen of the weight's width.
template <typename Draw>
QImage lineSymbol(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio, Draw draw)
{
    QImage image = transparentImage(QSizeF(pointSize, pointSize), devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pointSize, pointSize);
    painter.setPen(QPen(Qt::black, unitLineWidth(weight), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    draw(painter);
    return image;
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

namespace Icons {

QImage magnifyingGlass(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawEllipse(QPointF(0.42, 0.42), 0.3, 0.3);
        painter.drawLine(QPointF(0.64, 0.64), QPointF(0.9, 0.9));
    });
}

QImage gear(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        // Eight teeth around a ring, with a hub.
        QPainterPath outline;
        constexpr int teeth = 8;
        for (int i = 0; i < 2 * teeth; ++i) {
            const qreal angle = qDegreesToRadians(360.0 * i / (2 * teeth));
            const qreal radius = i % 2 == 0 ? 0.44 : 0.33;
            const QPointF point(0.5 + radius * std::cos(angle), 0.5 + radius * std::sin(angle));
            i == 0 ? outline.moveTo(point) : outline.lineTo(point);
        }
        outline.closeSubpath();
        painter.drawPath(outline);
        painter.drawEllipse(QPointF(0.5, 0.5), 0.12, 0.12);
    });
}

QImage folderBadgePlus(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return lineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        QPainterPath folder;
        folder.moveTo(0.62, 0.8);
        folder.lineTo(0.1, 0.8);
        folder.lineTo(0.1, 0.2);
        folder.lineTo(0.36, 0.2);
        folder.lineTo(0.44, 0.3);
        folder.lineTo(0.9, 0.3);
        folder.lineTo(0.9, 0.52);
        painter.drawPath(folder);
        painter.drawLine(QPointF(0.1, 0.38), QPointF(0.9, 0.38));
        painter.drawLine(QPointF(0.78, 0.6), QPointF(0.78, 0.9));
        painter.drawLine(QPointF(0.63, 0.75), QPointF(0.93, 0.75));
    });
}

} // namespace Icons
