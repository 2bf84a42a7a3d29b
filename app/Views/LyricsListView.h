#pragma once

#include "LyricsListLayout.h"
#include "Lyrics/Lyrics.h"

#include <QCache>
#include <QImage>
#include <QTextLayout>
#include <QWidget>

#include <memory>
#include <optional>

class QVariantAnimation;

// The lyric lines of the lyrics page, painted as one virtual list: only the rows in view are laid
// out and drawn. With synced lyrics one line is current: larger, in the full accent colour, with a
// glow, slightly enlarged, and kept in the middle by an animated scroll; a change of the current
// line blends the two rows. The user scrolls with the wheel or by dragging, which stops the
// animation. Plain lyrics have no current line and are never scrolled by the view.
class LyricsListView : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal lineFontSize = 14;
    static constexpr qreal currentFontSize = 20;
    static constexpr qreal currentScale = 1.02;
    static constexpr int scrollMilliseconds = 320;
    static constexpr int blendMilliseconds = 240;

    explicit LyricsListView(QWidget *parent = nullptr);
    ~LyricsListView() override;

    // New lyrics keep the scroll position (clamped); the view scrolls only when asked.
    void setLyrics(const Lyrics &lyrics);
    const Lyrics &lyrics() const { return m_lyrics; }
    // The model's line index; none before the first line. The current row blends over.
    void setCurrentLineIndex(std::optional<qsizetype> index);

    // The current row: the line at the index (the first before it, the last past the end), or none
    // for plain lyrics and without lines.
    std::optional<qsizetype> currentRow() const;
    // Centres the current row on the next turn of the event loop, over 0.32 s when animated.
    // Does nothing for plain lyrics.
    void scrollToCurrent(bool animated);
    bool isScrollAnimating() const;

    qreal scrollOffset() const { return m_offset; }
    void setScrollOffset(qreal offset);
    qreal maximumScrollOffset() const;
    // Where a row is drawn, in the view's coordinates (estimated for rows never laid out).
    QRectF rowRect(qsizetype row) const;
    const LyricsListLayout &layout() const { return m_layout; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    struct RowText;
    struct CurrentLook;

    qreal textWidth() const;
    QString displayText(qsizetype row) const;
    // The row's text laid out in the line font at the current width; its height becomes exact.
    const RowText &rowText(qsizetype row) const;
    // The current line's picture (text and glow), made once per row, width and palette.
    const CurrentLook &currentLook(qsizetype row) const;
    // How far a row has turned into the current line, 0…1.
    qreal blendOf(qsizetype row) const;
    void updateRowHeight(qsizetype row) const;
    qreal centringOffset(qsizetype row) const;
    void stopScrollAnimation();
    void clearLayouts();

    Lyrics m_lyrics;
    std::optional<qsizetype> m_currentIndex;
    mutable LyricsListLayout m_layout;
    qreal m_offset = 0;

    mutable QCache<qsizetype, RowText> m_rowTexts;
    mutable std::unique_ptr<CurrentLook> m_currentLook;

    // The row the running scroll heads for, recomputed every frame as rows are laid out.
    qsizetype m_scrollTarget = -1;
    qreal m_scrollStart = 0;
    QVariantAnimation *m_scroll;
    // Blend between the previous and the new current row.
    std::optional<qsizetype> m_previousRow;
    qreal m_blend = 1;
    QVariantAnimation *m_blendAnimation;

    std::optional<qreal> m_dragOrigin;
    qreal m_dragStartOffset = 0;
};
