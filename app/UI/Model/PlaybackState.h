#pragma once

#include "Models/Track.h"
#include "Playback/PlaybackQueue.h"
#include "Settings/AppSettings.h"

#include <QList>

#include <optional>

// The playback state kept in the settings across launches: the queue, its mode, the current
// track and the position to resume from.
namespace PlaybackState {

struct Restored
{
    PlaybackQueue queue;
    std::optional<Track> currentTrack;
    double position = 0;
};

// The saved queue without identifiers that left the library (order and repeats kept), the last
// track put in front when the queue lacks it, the mode by name (repeatAll for an unknown name),
// and the last track with its position (0 for a missing file, a negative or non-finite value).
Restored restore(const AppSettings &settings, const QList<Track> &tracks);

// The settings with the playback state written in: the position is the engine's while it has a
// file loaded, else the restored one, never negative.
AppSettings store(AppSettings settings, const PlaybackQueue &queue, const std::optional<Track> &currentTrack,
                  double engineDuration, double enginePosition, double restoredPosition);

} // namespace PlaybackState
