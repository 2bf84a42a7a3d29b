#include "MiniCoverView.h"

#include "UI/NoteIcon.h"
#include "UI/ThemeEnvironment.h"

#include <QFile>
#include <QPainter>
#include <QPainterPath>
#include <QtConcurrent>

MiniCoverView::MiniCoverView(int side, qreal cornerRadius, QWidget *parent)
    : QWidget(parent), m_cornerRadius(cornerRadius)
{
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void MiniCoverView::setArtwork(const std::optional<FileLocation> &location)
{
    if (location == m_location)
        return;
    m_location = location;
    m_image = QImage();
    update();
    const quint64 request = ++m_request;
    if (!location)
        return;
    const QString path = QFile::decodeName(location->path());
    const qreal side = width() * devicePixelRatioF();
    auto *reading = new QFutureWatcher<QImage>(this);
    connect(reading, &QFutureWatcher<QImage>::finished, this, [this, reading, request] {
        // Only the latest request's image is shown.
        if (request == m_request) {
            m_image = reading->result();
            update();
        }
        reading->deleteLater();
    });
    reading->setFuture(QtConcurrent::run([path, side] {
        const QImage image(path);
        return image.isNull() ? image : image.scaled(QSize(int(side), int(side)), Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    }));
}

void MiniCoverView::paintEvent(QPaintEvent *)
{
    const ThemePalette theme = ThemeEnvironment::theme(this);
    QPainterPath shape;
    shape.addRoundedRect(QRectF(rect()), m_cornerRadius, m_cornerRadius);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setClipPath(shape);
    if (!m_image.isNull()) {
        const QSizeF fitted = QSizeF(m_image.size()).scaled(QSizeF(size()), Qt::KeepAspectRatioByExpanding);
        painter.drawImage(QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted), m_image);
        return;
    }
    painter.fillPath(shape, theme.coverGradient);
    QColor noteColor = Qt::white;
    noteColor.setAlphaF(0.86f);
    const qreal noteSize = width() * 0.42;
    const QImage note = NoteIcon::image(noteSize, noteColor, devicePixelRatioF());
    const QSizeF shown = note.deviceIndependentSize();
    painter.drawImage(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2), note);
}
