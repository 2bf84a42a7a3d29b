#include "NowPlayingInfo.h"

#include "UI/AppModel.h"

NowPlayingInfo NowPlayingInfo::of(const AppModel &model)
{
    NowPlayingInfo info;
    const std::optional<Track> &track = model.currentTrack();
    if (!track)
        return info;
    const PlaybackEngine &engine = model.engine();
    info.state = model.isPlaying() ? State::playing : State::paused;
    info.trackID = track->id;
    info.title = track->title;
    info.artist = track->artist;
    info.album = track->album;
    if (const double duration = model.displayDuration(); duration > 0)
        info.duration = duration;
    info.elapsed = engine.duration() > 0 ? engine.position() : model.restoredPosition();
    info.rate = model.isPlaying() ? 1.0 : 0.0;
    return info;
}
