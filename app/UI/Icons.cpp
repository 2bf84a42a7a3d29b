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

// A line symbol drawn by `draw` in a unit square with a round pen of the weight's width.
template <typename Draw>
QImage weightedLineSymbol(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio, Draw draw)
{
    return Icons::lineSymbol(pointSize, Icons::unitLineWidth(weight), devicePixelRatio, draw);
}

} // namespace

namespace Icons {

QImage transparentSquare(qreal pointSize, qreal devicePixelRatio)
{
    return transparentImage(QSizeF(pointSize, pointSize), devicePixelRatio);
}

qreal unitLineWidth(QFont::Weight weight)
{
    return 0.02 + 0.15 * qreal(weight) / 1000.0;
}

QImage lineSymbol(qreal pointSize, qreal lineWidth, qreal devicePixelRatio,
                  const std::function<void(QPainter &)> &draw)
{
    QImage image = transparentSquare(pointSize, devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pointSize, pointSize);
    painter.setPen(QPen(Qt::black, lineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(Qt::NoBrush);
    draw(painter);
    return image;
}

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
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawEllipse(QPointF(0.42, 0.42), 0.3, 0.3);
        painter.drawLine(QPointF(0.64, 0.64), QPointF(0.9, 0.9));
    });
}

QImage gear(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
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
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
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

namespace {

// A filled symbol drawn by `draw` in a unit square; the painter's brush is set, its pen is not.
template <typename Draw> QImage filledSymbol(qreal pointSize, qreal devicePixelRatio, Draw draw)
{
    QImage image = transparentImage(QSizeF(pointSize, pointSize), devicePixelRatio);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(pointSize, pointSize);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Qt::black);
    draw(painter);
    return image;
}

// An open arrowhead whose tip is at `tip`, pointing along `direction` (degrees, 0 = right,
// 90 = down), with arms `length` long.
void drawArrowhead(QPainter &painter, QPointF tip, qreal direction, qreal length = 0.14)
{
    const QTransform turn = QTransform().rotate(direction);
    const QPointF upperArm = turn.map(QPointF(-length, -length));
    const QPointF lowerArm = turn.map(QPointF(-length, length));
    painter.drawPolyline(QPolygonF{tip + upperArm, tip, tip + lowerArm});
}

// A triangle pointing at a bar: the skip symbols, mirrored for the backward one.
void drawSkip(QPainter &painter, bool forward)
{
    if (!forward) {
        painter.translate(1, 0);
        painter.scale(-1, 1);
    }
    painter.drawPolygon(QPolygonF{{0.2, 0.22}, {0.2, 0.78}, {0.7, 0.5}});
    painter.drawLine(QPointF(0.8, 0.22), QPointF(0.8, 0.78));
}

// Two arrows chasing each other round a rounded loop.
void drawRepeatLoop(QPainter &painter)
{
    QPainterPath upper;
    upper.moveTo(0.14, 0.56);
    upper.lineTo(0.14, 0.44);
    upper.quadTo(0.14, 0.3, 0.28, 0.3);
    upper.lineTo(0.84, 0.3);
    QPainterPath lower;
    lower.moveTo(0.86, 0.44);
    lower.lineTo(0.86, 0.56);
    lower.quadTo(0.86, 0.7, 0.72, 0.7);
    lower.lineTo(0.16, 0.7);
    painter.drawPath(upper);
    painter.drawPath(lower);
    drawArrowhead(painter, QPointF(0.84, 0.3), 0, 0.12);
    drawArrowhead(painter, QPointF(0.16, 0.7), 180, 0.12);
}

// The speaker's box and cone.
void drawSpeaker(QPainter &painter)
{
    painter.drawPolygon(QPolygonF{{0.06, 0.38}, {0.18, 0.38}, {0.36, 0.2}, {0.36, 0.8}, {0.18, 0.62}, {0.06, 0.62}});
}

// `count` sound waves of growing radius in front of the speaker.
void drawWaves(QPainter &painter, int count)
{
    const QPointF centre(0.36, 0.5);
    for (int wave = 1; wave <= count; ++wave) {
        const qreal radius = 0.02 + 0.15 * wave;
        const QRectF box(centre - QPointF(radius, radius), QSizeF(2 * radius, 2 * radius));
        QPainterPath arc;
        arc.arcMoveTo(box, -45);
        arc.arcTo(box, -45, 90);
        painter.drawPath(arc);
    }
}

} // namespace

namespace Icons {

QImage backwardEnd(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) { drawSkip(painter, false); });
}

QImage forwardEnd(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) { drawSkip(painter, true); });
}

QImage play(qreal pointSize, QFont::Weight, qreal devicePixelRatio)
{
    return filledSymbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        // Rounded corners, as a filled shape stroked with a round join of its own colour.
        const QPolygonF triangle{{0.28, 0.2}, {0.28, 0.8}, {0.82, 0.5}};
        painter.setPen(QPen(Qt::black, 0.08, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPolygon(triangle);
    });
}

QImage pause(qreal pointSize, QFont::Weight, qreal devicePixelRatio)
{
    return filledSymbol(pointSize, devicePixelRatio, [](QPainter &painter) {
        painter.drawRoundedRect(QRectF(0.24, 0.18, 0.16, 0.64), 0.04, 0.04);
        painter.drawRoundedRect(QRectF(0.6, 0.18, 0.16, 0.64), 0.04, 0.04);
    });
}

QImage arrowRight(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawLine(QPointF(0.14, 0.5), QPointF(0.84, 0.5));
        drawArrowhead(painter, QPointF(0.84, 0.5), 0, 0.2);
    });
}

QImage repeat(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, drawRepeatLoop);
}

QImage repeatOne(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        drawRepeatLoop(painter);
        QPen thin = painter.pen();
        thin.setWidthF(thin.widthF() * 0.8);
        painter.setPen(thin);
        painter.drawPolyline(QPolygonF{{0.45, 0.45}, {0.52, 0.4}, {0.52, 0.6}});
    });
}

QImage shuffle(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        QPainterPath falling;
        falling.moveTo(0.12, 0.3);
        falling.cubicTo(0.5, 0.3, 0.5, 0.7, 0.86, 0.7);
        QPainterPath rising;
        rising.moveTo(0.12, 0.7);
        rising.cubicTo(0.5, 0.7, 0.5, 0.3, 0.86, 0.3);
        painter.drawPath(falling);
        painter.drawPath(rising);
        drawArrowhead(painter, QPointF(0.86, 0.3), 0, 0.12);
        drawArrowhead(painter, QPointF(0.86, 0.7), 0, 0.12);
    });
}

QImage speakerSlash(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        drawSpeaker(painter);
        painter.drawLine(QPointF(0.12, 0.14), QPointF(0.86, 0.86));
    });
}

QImage speakerWave1(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        drawSpeaker(painter);
        drawWaves(painter, 1);
    });
}

QImage speakerWave3(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        drawSpeaker(painter);
        drawWaves(painter, 3);
    });
}

QImage textAlignLeft(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        const qreal ends[] = {0.86, 0.6, 0.86, 0.52};
        for (int line = 0; line < 4; ++line) {
            const qreal y = 0.24 + line * 0.17;
            painter.drawLine(QPointF(0.14, y), QPointF(ends[line], y));
        }
    });
}

QImage rectangleCompressVertical(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawRoundedRect(QRectF(0.12, 0.4, 0.76, 0.2), 0.05, 0.05);
        painter.drawLine(QPointF(0.5, 0.06), QPointF(0.5, 0.3));
        drawArrowhead(painter, QPointF(0.5, 0.3), 90, 0.1);
        painter.drawLine(QPointF(0.5, 0.94), QPointF(0.5, 0.7));
        drawArrowhead(painter, QPointF(0.5, 0.7), -90, 0.1);
    });
}

QImage musicNoteList(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        for (const qreal y : {0.24, 0.44, 0.64})
            painter.drawLine(QPointF(0.1, y), QPointF(0.52, y));
        painter.drawLine(QPointF(0.82, 0.18), QPointF(0.82, 0.74));
        painter.drawLine(QPointF(0.82, 0.18), QPointF(0.94, 0.26));
        painter.setBrush(Qt::black);
        painter.drawEllipse(QPointF(0.72, 0.76), 0.1, 0.08);
    });
}

QImage clock(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawEllipse(QPointF(0.5, 0.5), 0.4, 0.4);
        painter.drawPolyline(QPolygonF{{0.5, 0.26}, {0.5, 0.5}, {0.66, 0.6}});
    });
}

QImage folder(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawPolygon(QPolygonF{{0.08, 0.8}, {0.08, 0.2}, {0.36, 0.2}, {0.44, 0.3}, {0.92, 0.3}, {0.92, 0.8}});
        painter.drawLine(QPointF(0.08, 0.4), QPointF(0.92, 0.4));
    });
}

QImage arrowClockwise(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        // From the upper right, clockwise down, round and up to the top, where the head points on.
        const QRectF box(0.16, 0.2, 0.68, 0.68);
        QPainterPath arc;
        arc.arcMoveTo(box, 30);
        arc.arcTo(box, 30, -300);
        painter.drawPath(arc);
        drawArrowhead(painter, QPointF(0.54, 0.2), 0, 0.12);
    });
}

QImage trash(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawLine(QPointF(0.12, 0.24), QPointF(0.88, 0.24));
        painter.drawPolyline(QPolygonF{{0.36, 0.24}, {0.36, 0.12}, {0.64, 0.12}, {0.64, 0.24}});
        painter.drawPolyline(QPolygonF{{0.22, 0.24}, {0.28, 0.9}, {0.72, 0.9}, {0.78, 0.24}});
        painter.drawLine(QPointF(0.42, 0.4), QPointF(0.42, 0.74));
        painter.drawLine(QPointF(0.58, 0.4), QPointF(0.58, 0.74));
    });
}

QImage plus(qreal pointSize, QFont::Weight weight, qreal devicePixelRatio)
{
    return weightedLineSymbol(pointSize, weight, devicePixelRatio, [](QPainter &painter) {
        painter.drawLine(QPointF(0.5, 0.16), QPointF(0.5, 0.84));
        painter.drawLine(QPointF(0.16, 0.5), QPointF(0.84, 0.5));
    });
}

} // namespace Icons
