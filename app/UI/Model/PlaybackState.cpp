#include "PlaybackState.h"

#include <QSet>

#include <cmath>

namespace {

double resumable(double seconds)
{
    return std::isfinite(seconds) && seconds >= 0 ? seconds : 0;
}

} // namespace

namespace PlaybackState {

Restored restore(const AppSettings &settings, const QList<Track> &tracks)
{
    QSet<QUuid> known;
    known.reserve(tracks.size());
    for (const Track &track : tracks)
        known.insert(track.id);

    QList<QUuid> kept;
    kept.reserve(settings.lastQueue.size());
    for (const QUuid &id : settings.lastQueue) {
        if (known.contains(id))
            kept.append(id);
    }
    const std::optional<QUuid> last = settings.lastTrackID;
    if (last && known.contains(*last) && !kept.contains(*last))
        kept.prepend(*last);

    const PlaybackMode mode = playbackModeFromName(settings.playbackMode).value_or(PlaybackMode::RepeatAll);
    const qsizetype index = last ? std::max<qsizetype>(kept.indexOf(*last), 0) : 0;

    Restored restored{PlaybackQueue(kept, index, mode), std::nullopt, 0};
    if (last) {
        const auto track = std::ranges::find(tracks, *last, &Track::id);
        if (track != tracks.end()) {
            restored.currentTrack = *track;
            if (!track->isMissing)
                restored.position = resumable(settings.lastPosition);
        }
    }
    return restored;
}

AppSettings store(AppSettings settings, const PlaybackQueue &queue, const std::optional<Track> &currentTrack,
                  double engineDuration, double enginePosition, double restoredPosition)
{
    settings.lastQueue = queue.trackIDs();
    settings.lastTrackID = currentTrack ? std::optional(currentTrack->id) : std::nullopt;
    settings.lastPosition = resumable(engineDuration > 0 ? enginePosition : restoredPosition);
    settings.playbackMode = playbackModeName(queue.mode());
    return settings;
}

} // namespace PlaybackState
