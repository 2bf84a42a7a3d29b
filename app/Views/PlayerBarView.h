#pragma once

#include "Models/Track.h"
#include "Playback/PlaybackMode.h"
#include "UI/Icons.h"

#include <QWidget>

#include <optional>

class AppModel;
class CoverButton;
class PlayerBarTimes;
class PlayerIconButton;
class PlayerProgressLine;
class PlayPauseButton;
class SpectrumBarsView;
class VolumeButton;

// The bar at the foot of the main window: the current track (cover, title, subtitle) on the
// left, previous, play/pause and next in the middle, and playback mode, volume, desktop lyrics
// and the mini player on the right; the progress line along its top edge, the times along its
// bottom edge and, when the setting asks for it, a faint spectrum behind. It keeps no state of
// its own: it shows the model and every control makes one call. Position ticks repaint only the
// progress line and the times.
class PlayerBarView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int barHeight = 84;
    // The widget reaches this far above the bar, for the progress line's thumb.
    static int overhang();

    explicit PlayerBarView(AppModel &model, QWidget *parent = nullptr);

    CoverButton *coverButton() const { return m_cover; }
    PlayerIconButton *previousButton() const { return m_previous; }
    PlayPauseButton *playPauseButton() const { return m_playPause; }
    PlayerIconButton *nextButton() const { return m_next; }
    PlayerIconButton *modeButton() const { return m_mode; }
    VolumeButton *volumeButton() const { return m_volume; }
    PlayerIconButton *lyricsButton() const { return m_lyrics; }
    PlayerIconButton *miniPlayerButton() const { return m_miniPlayer; }
    PlayerProgressLine *progressLine() const { return m_progress; }
    PlayerBarTimes *times() const { return m_times; }
    // Present only while the setting shows it.
    SpectrumBarsView *spectrum() const { return m_spectrum; }
    // The bar itself, below the overhang.
    QRect barRect() const;

    // "未在播放" without a track.
    static QString title(const std::optional<Track> &track);
    // "选择一首歌曲" without a track, "文件缺失" for a missing file, else the artist and the
    // album that are not empty, joined by " · ", or a single space when both are.
    static QString subtitle(const std::optional<Track> &track);
    static Icons::Symbol modeSymbol(PlaybackMode mode);
    static QString modeHelp(PlaybackMode mode);
    // The mode after a click: repeat all, repeat one and shuffle in turn; sequential steps to
    // repeat all and is never chosen here.
    static PlaybackMode nextMode(PlaybackMode mode);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showTrack();
    void showPlaying();
    void showMode();
    void showLyricsVisible();
    void showLyricsPage();
    void showSpectrumSetting();
    void layOut();

    AppModel &m_model;
    CoverButton *m_cover;
    PlayerIconButton *m_previous;
    PlayPauseButton *m_playPause;
    PlayerIconButton *m_next;
    PlayerIconButton *m_mode;
    VolumeButton *m_volume;
    PlayerIconButton *m_lyrics;
    PlayerIconButton *m_miniPlayer;
    PlayerProgressLine *m_progress;
    PlayerBarTimes *m_times;
    SpectrumBarsView *m_spectrum = nullptr;
};
