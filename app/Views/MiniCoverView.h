#pragma once

#include "Storage/FileLocation.h"

#include <QImage>
#include <QWidget>

#include <optional>

// The cover square of the mini player: the artwork read in the background, or, without one or
// until it has been read, the palette's cover gradient with the note.
class MiniCoverView : public QWidget
{
    Q_OBJECT

public:
    MiniCoverView(int side, qreal cornerRadius, QWidget *parent = nullptr);

    // Reads the file in the background; a later call supersedes an earlier one still reading.
    void setArtwork(const std::optional<FileLocation> &location);
    bool hasImage() const { return !m_image.isNull(); }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qreal m_cornerRadius;
    std::optional<FileLocation> m_location;
    QImage m_image;
    quint64 m_request = 0;
};
