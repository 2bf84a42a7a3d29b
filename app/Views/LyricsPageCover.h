#pragma once

#include "Storage/FileLocation.h"

#include <QAbstractButton>
#include <QImage>

#include <optional>

// The current track's cover on the lyrics page, as a button: a rounded square showing the cover
// file decoded on a worker thread, or the palette's cover gradient with the note while there is
// no file, while it loads and when it cannot be read.
class LyricsPageCover : public QAbstractButton
{
    Q_OBJECT

public:
    LyricsPageCover(int side, qreal cornerRadius, QWidget *parent = nullptr);

    // A decode that finishes for a file no longer shown is dropped.
    void setCover(const std::optional<FileLocation> &cover);
    const std::optional<FileLocation> &cover() const { return m_cover; }
    // The image on display, null while the placeholder shows.
    const QImage &image() const { return m_image; }

signals:
    void imageShown();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    int m_side;
    qreal m_cornerRadius;
    std::optional<FileLocation> m_cover;
    QImage m_image;
    // Counts the files asked for, so a late decode of an earlier one is recognised.
    quint64 m_request = 0;
};
