#pragma once

#include "BlurredCoverCache.h"
#include "Storage/FileLocation.h"
#include "UI/ThemePalette.h"

#include <QPixmap>
#include <QWidget>

#include <optional>

// The lyrics page's backdrop, back to front: the thin material's tint, the current cover blurred,
// enlarged by 1.18 and faint, a diagonal wash of the palette's background colours and an accent
// glow near the top-leading corner. The layers are composed into one picture whenever the size,
// palette or cover image changes, so a repaint only copies it. Takes no clicks.
class LyricsPageBackdrop : public QWidget
{
    Q_OBJECT

public:
    explicit LyricsPageBackdrop(QWidget *parent = nullptr);

    // None: only the gradients and the material.
    void setCover(const std::optional<FileLocation> &cover);
    const std::optional<FileLocation> &cover() const { return m_cover; }
    // The blurred cover in the picture, null while there is none (no file, not made yet, unreadable).
    const QImage &coverImage() const { return m_coverImage; }

    // Composes the picture for the current size, palette and cover image.
    void rebuild();
    const QPixmap &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // Side, in pixels, of the square the cover fills (the longer page side, enlarged).
    int coverPixelSide() const;
    void fetchCover();

    BlurredCoverCache m_cache;
    std::optional<FileLocation> m_cover;
    QImage m_coverImage;
    QPixmap m_picture;
    ThemePalette m_pictureTheme;
    bool m_stale = true;
};
