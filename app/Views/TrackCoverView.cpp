#include "TrackCoverView.h"

#include "CoverFile.h"
#include "UI/NoteIcon.h"
#include "UI/ThemeEnvironment.h"

#include <QFutureWatcher>
#include <QGraphicsDropShadowEffect>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QVariantAnimation>
#include <QtConcurrent>

#include <cmath>

namespace {

constexpr qreal noteSize = 17;
constexpr int fadeMilliseconds = 150;

// Fills the square while keeping the aspect ratio: the longer side overflows and is cropped.
QRectF coveringSourceRect(QSizeF imageSize)
{
    const qreal side = std::min(imageSize.width(), imageSize.height());
    return QRectF((imageSize.width() - side) / 2, (imageSize.height() - side) / 2, side, side);
}

} // namespace

TrackCoverView::TrackCoverView(qreal size, qreal cornerRadius, QWidget *parent)
    : QWidget(parent)
    , m_size(size)
    , m_cornerRadius(cornerRadius)
    , m_fade(new QVariantAnimation(this))
{
    const int side = int(std::ceil(size));
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_fade->setDuration(fadeMilliseconds);
    m_fade->setEasingCurve(QEasingCurve::OutCubic);
    m_fade->setStartValue(0.0);
    m_fade->setEndValue(1.0);
    connect(m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant &value) {
        m_imageOpacity = value.toReal();
        update();
    });

    auto *shadow = new QGraphicsDropShadowEffect(this);
    shadow->setColor(QColor(0, 0, 0, qRound(0.3 * 255)));
    shadow->setBlurRadius(12);
    shadow->setOffset(0, 3);
    setGraphicsEffect(shadow);
}

QSize TrackCoverView::sizeHint() const
{
    return size();
}

void TrackCoverView::setUrl(const std::optional<FileLocation> &url)
{
    if (url == m_url)
        return;
    m_url = url;
    const quint64 request = ++m_request;
    m_fade->stop();
    m_image = QImage();
    m_imageOpacity = 0;
    update();
    if (!url)
        return;

    const int pixelSide = int(std::ceil(m_size * devicePixelRatioF()));
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, request] {
        watcher->deleteLater();
        showImage(request, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run([file = *url, pixelSide] { return decode(file, pixelSide); }));
}

void TrackCoverView::showImage(quint64 request, const QImage &image)
{
    if (request != m_request || image.isNull())
        return;
    m_image = image;
    m_fade->start();
    emit imageShown();
}

QImage TrackCoverView::decode(const FileLocation &file, int pixelSide)
{
    return CoverFile::read(file, [pixelSide](QImageReader &reader) {
        const QSize original = reader.size();
        if (original.isValid() && std::min(original.width(), original.height()) > pixelSide)
            reader.setScaledSize(original.scaled(pixelSide, pixelSide, Qt::KeepAspectRatioByExpanding));
        return true;
    });
}

void TrackCoverView::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    const QRectF square(0, 0, m_size, m_size);
    QPainterPath shape;
    shape.addRoundedRect(square, m_cornerRadius, m_cornerRadius);

    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.setClipPath(shape);
    painter.fillPath(shape, palette.coverGradient);

    const QImage note = NoteIcon::image(noteSize, QColor(255, 255, 255, qRound(0.7 * 255)), devicePixelRatioF());
    painter.drawImage(QRectF(square.center() - QPointF(noteSize / 2, noteSize / 2), QSizeF(noteSize, noteSize)), note);

    if (!m_image.isNull()) {
        painter.setOpacity(m_imageOpacity);
        painter.drawImage(square, m_image, coveringSourceRect(m_image.size()));
        painter.setOpacity(1);
    }

    QRadialGradient sheen(QPointF(0.3 * m_size, 0.25 * m_size), 0.72 * m_size);
    sheen.setColorAt(0, QColor(255, 255, 255, qRound(0.22 * 255)));
    sheen.setColorAt(1, Qt::transparent);
    painter.fillPath(shape, sheen);
}
