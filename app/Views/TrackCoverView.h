#pragma once

#include "Storage/FileLocation.h"

#include <QImage>
#include <QWidget>

#include <optional>

class QVariantAnimation;

// A track's cover in a rounded square: the palette's cover gradient with the note as the
// placeholder, and over it the image file, decoded on a worker thread and faded in. The
// placeholder stays while there is no file, while it loads, and when it cannot be read. Takes no
// clicks of its own; a caller that wants them wraps it.
class TrackCoverView : public QWidget
{
    Q_OBJECT

public:
    TrackCoverView(qreal size, qreal cornerRadius, QWidget *parent = nullptr);

    const std::optional<FileLocation> &url() const { return m_url; }
    // A new file shows the placeholder until its image is ready; none removes the image at once.
    // A decode that finishes for a file no longer shown is dropped.
    void setUrl(const std::optional<FileLocation> &url);

    // The decoded image on display, null while the placeholder shows.
    const QImage &image() const { return m_image; }
    qreal coverSize() const { return m_size; }

    QSize sizeHint() const override;

    // The file's image scaled down so that it still covers a square of `pixelSide` pixels; null
    // for a missing or unreadable file. Safe on any thread.
    static QImage decode(const FileLocation &file, int pixelSide);

signals:
    // A decoded image is on display (the fade has begun).
    void imageShown();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showImage(quint64 request, const QImage &image);

    qreal m_size;
    qreal m_cornerRadius;
    std::optional<FileLocation> m_url;
    QImage m_image;
    qreal m_imageOpacity = 0;
    // Counts the files asked for, so a late decode of an earlier one is recognised.
    quint64 m_request = 0;
    QVariantAnimation *m_fade;
};
