#include "NoteIcon.h"

#include "Icons.h"
#include "NoteGlyph.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace {

// The glyph scaled to fit a size x size frame, aspect ratio kept, centred.
QImage fittedGlyph(QSvgRenderer &glyph, qreal size, qreal devicePixelRatio)
{
    QImage image((QSizeF(size, size) * devicePixelRatio).toSize().expandedTo(QSize(1, 1)),
        QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    const QSizeF fitted = glyph.viewBoxF().size().scaled(QSizeF(size, size), Qt::KeepAspectRatio);
    const QRectF target(QPointF((size - fitted.width()) / 2, (size - fitted.height()) / 2), fitted);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    glyph.render(&painter, target);
    return image;
}

} // namespace

NoteIcon::NoteIcon(qreal size, const QColor &color, QWidget *parent)
    : QWidget(parent)
    , m_size(size)
    , m_color(color)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void NoteIcon::setColor(const QColor &color)
{
    m_color = color;
    update();
}

QSize NoteIcon::sizeHint() const
{
    const int side = int(std::ceil(m_size));
    return QSize(side, side);
}

QImage NoteIcon::image(qreal size, const QColor &color, qreal devicePixelRatio)
{
    if (const std::unique_ptr<QSvgRenderer> glyph = NoteGlyph::load())
        return Icons::tinted(fittedGlyph(*glyph, size, devicePixelRatio), color);
    return Icons::tinted(Icons::musicNote(size, QFont::DemiBold, devicePixelRatio), color);
}

void NoteIcon::paintEvent(QPaintEvent *)
{
    const QImage note = image(m_size, m_color, devicePixelRatioF());
    const QSizeF noteSize = note.deviceIndependentSize();
    QPainter painter(this);
    painter.drawImage(QPointF((width() - noteSize.width()) / 2, (height() - noteSize.height()) / 2), note);
}
