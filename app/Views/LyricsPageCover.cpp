#include "LyricsPageCover.h"

#include "CoverImageFile.h"
#include "UI/NoteIcon.h"
#include "UI/ThemeEnvironment.h"

#include <QFutureWatcher>
#include <QPainter>
#include <QPainterPath>
#include <QtConcurrent>

#include <cmath>

namespace {

constexpr qreal noteSize = 34;

} // namespace

LyricsPageCover::LyricsPageCover(int side, qreal cornerRadius, QWidget *parent)
    : QAbstractButton(parent)
    , m_side(side)
    , m_cornerRadius(cornerRadius)
{
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void LyricsPageCover::setCover(const std::optional<FileLocation> &cover)
{
    if (cover == m_cover)
        return;
    m_cover = cover;
    const quint64 request = ++m_request;
    m_image = QImage();
    update();
    if (!cover)
        return;
    const int pixelSide = int(std::ceil(m_side * devicePixelRatioF()));
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, request] {
        watcher->deleteLater();
        if (request != m_request || watcher->result().isNull())
            return;
        m_image = watcher->result();
        update();
        emit imageShown();
    });
    watcher->setFuture(QtConcurrent::run([file = *cover, pixelSide] { return CoverImageFile::decode(file, pixelSide); }));
}

void LyricsPageCover::paintEvent(QPaintEvent *)
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    const QRectF square(0, 0, m_side, m_side);
    QPainterPath shape;
    shape.addRoundedRect(square, m_cornerRadius, m_cornerRadius);

    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.setClipPath(shape);
    if (m_image.isNull()) {
        painter.fillPath(shape, theme.coverGradient);
        const QImage note = NoteIcon::image(noteSize, QColor(255, 255, 255, 180), devicePixelRatioF());
        painter.drawImage(QRectF(square.center() - QPointF(noteSize / 2, noteSize / 2), QSizeF(noteSize, noteSize)), note);
    } else {
        // Fills the square keeping the aspect ratio: the longer side is cropped.
        const qreal side = std::min(m_image.width(), m_image.height());
        painter.drawImage(square, m_image,
            QRectF((m_image.width() - side) / 2, (m_image.height() - side) / 2, side, side));
    }
    if (isDown())
        painter.fillPath(shape, QColor(0, 0, 0, 40));
}
