#include "WindowShadow.h"

#include "Masks.h"

#include <QCache>
#include <qdrawutil.h>
#include <QPainter>
#include <QPixmap>

#include <cmath>

namespace {

struct ShapeKey
{
    QSize solid;
    int corner;
    qreal radius;
    QRgb color;
    friend bool operator==(const ShapeKey &, const ShapeKey &) = default;
};

size_t qHash(const ShapeKey &key, size_t seed)
{
    return qHashMulti(seed, key.solid.width(), key.solid.height(), key.corner, key.radius, key.color);
}

// A rounded rectangle of size `solid`, blurred, inside a border as wide as the blur's reach.
// A shadow has no detail to lose, so it is made at logical resolution.
QPixmap blurredShape(QSize solid, int corner, const WindowShadow::Style &style)
{
    static QCache<ShapeKey, QPixmap> shapes(8);
    const ShapeKey key{solid, corner, style.radius, style.color.rgba()};
    if (const QPixmap *found = shapes.object(key))
        return *found;
    const int reach = Masks::reach(style.radius);
    QImage shape(solid.grownBy(QMargins(reach, reach, reach, reach)), QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    {
        QPainter painter(&shape);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawRoundedRect(QRectF(QPointF(reach, reach), QSizeF(solid)), corner, corner);
    }
    QImage mask = Masks::coverage(shape);
    Masks::blur(mask, style.radius);
    auto *pixmap = new QPixmap(QPixmap::fromImage(Masks::tinted(mask, style.color)));
    const QPixmap result = *pixmap;
    shapes.insert(key, pixmap);
    return result;
}

} // namespace

namespace WindowShadow {

QMargins margins(const Style &style)
{
    const int reach = Masks::reach(style.radius);
    const int dx = int(std::ceil(std::abs(style.offset.x())));
    const int dy = int(std::ceil(std::abs(style.offset.y())));
    return QMargins(reach + (style.offset.x() < 0 ? dx : 0), reach + (style.offset.y() < 0 ? dy : 0),
        reach + (style.offset.x() > 0 ? dx : 0), reach + (style.offset.y() > 0 ? dy : 0));
}

void paint(QPainter &painter, const QRectF &shape, qreal cornerRadius, const Style &style)
{
    const int corner = int(std::ceil(std::min({cornerRadius, shape.width() / 2, shape.height() / 2})));
    const int reach = Masks::reach(style.radius);
    const QRect area = shape.translated(style.offset).toAlignedRect();
    const QRect target = area.adjusted(-reach, -reach, reach, reach);
    // A large shape's shadow is the shadow of a small one stretched through its middle: one pixel
    // there lies a full reach away from every straight edge and every corner.
    const int side = 2 * (corner + reach) + 1;
    if (area.width() < side || area.height() < side) {
        painter.drawPixmap(target, blurredShape(area.size(), corner, style));
        return;
    }
    const int border = corner + 2 * reach;
    qDrawBorderPixmap(&painter, target, QMargins(border, border, border, border),
        blurredShape(QSize(side, side), corner, style));
}

} // namespace WindowShadow
