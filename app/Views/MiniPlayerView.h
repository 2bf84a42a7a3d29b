#pragma once

#include <QPoint>
#include <QWidget>

#include <functional>
#include <optional>

class AppModel;
class MiniButton;
class MiniPositionView;
class MiniProgressLineView;
class MiniSpectrumView;
class MiniTitleBlock;
class PlaybackEngine;
class TrackCoverView;

// The mini player strip, 480 x 66: cover, title and subtitle (the current lyric line while there
// is one), spectrum, elapsed time and five round buttons on a translucent plate with rounded
// ends, a progress line along its bottom edge. It reads the model and sends every action to it;
// the engine's ticks reach only the time, the progress line and the spectrum. A press anywhere
// but on a button drags the window.
class MiniPlayerView : public QWidget
{
    Q_OBJECT

public:
    static constexpr qreal plateRadius = 32;

    MiniPlayerView(AppModel &model, PlaybackEngine &engine, QWidget *parent = nullptr);

    // Run by the expand button.
    std::function<void()> onExpand;

    MiniTitleBlock *titleBlock() const { return m_titleBlock; }
    TrackCoverView *cover() const { return m_cover; }
    MiniPositionView *positionView() const { return m_position; }
    MiniProgressLineView *progressLine() const { return m_progress; }
    // Previous, play/pause, next, desktop lyrics, expand.
    QList<MiniButton *> buttons() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void buildButtons(QLayout *row);
    // Texts and buttons; the cover only changes with the track.
    void refresh();
    void refreshCover();

    AppModel &m_model;
    TrackCoverView *m_cover;
    MiniTitleBlock *m_titleBlock;
    MiniSpectrumView *m_spectrum;
    MiniPositionView *m_position;
    MiniProgressLineView *m_progress;
    MiniButton *m_previousButton = nullptr;
    MiniButton *m_playButton = nullptr;
    MiniButton *m_nextButton = nullptr;
    MiniButton *m_lyricsButton = nullptr;
    MiniButton *m_expandButton = nullptr;
    // Where a drag the window system could not take over started, relative to the window.
    std::optional<QPoint> m_dragOffset;
};
