#include "TagCoverPreview.h"

#include "SheetStyle.h"
#include "UI/Icons.h"

#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal cornerRadius = 7;
constexpr qreal noteSize = 17;

} // namespace

TagCoverPreview::TagCoverPreview(QWidget *parent)
    : QWidget(parent)
{
    setFixedSize(side, side);
}

void TagCoverPreview::setImage(const QImage &image)
{
    m_image = image;
    update();
}

void TagCoverPreview::applyTheme(const ThemePalette &theme)
{
    m_theme = theme;
    update();
}

void TagCoverPreview::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    const QRectF square(rect());
    QPainterPath shape;
    shape.addRoundedRect(square, cornerRadius, cornerRadius);
    painter.setClipPath(shape);
    painter.fillPath(shape, QBrush(m_theme.coverGradient));

    if (!m_image.isNull()) {
        // Fill the square, keeping the aspect ratio; the clip cuts what overhangs.
        const QSizeF size = QSizeF(m_image.size()).scaled(square.size(), Qt::KeepAspectRatioByExpanding);
        painter.drawImage(
            QRectF(QPointF(square.center().x() - size.width() / 2, square.center().y() - size.height() / 2),
                size),
            m_image);
        return;
    }
    const QImage note = Icons::tinted(Icons::musicNote(noteSize, QFont::Normal, devicePixelRatioF()),
        ThemePalette::withAlpha(Qt::white, 0.55));
    painter.drawImage(
        QRectF(square.center() - QPointF(noteSize / 2, noteSize / 2), QSizeF(noteSize, noteSize)), note);
}
