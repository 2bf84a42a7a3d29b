#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <array>
#include <optional>
#include <utility>

// How the queue steps from one track to the next. Stored in the settings by its name.
enum class PlaybackMode { Sequential, RepeatAll, RepeatOne, Shuffle };

inline constexpr std::array allPlaybackModes{PlaybackMode::Sequential, PlaybackMode::RepeatAll,
                                             PlaybackMode::RepeatOne, PlaybackMode::Shuffle};

inline size_t qHash(PlaybackMode mode, size_t seed = 0)
{
    return qHash(std::to_underlying(mode), seed);
}

// "sequential", "repeatAll", "repeatOne" or "shuffle".
QString playbackModeName(PlaybackMode mode);
// Nothing for a name that is not one of the four.
std::optional<PlaybackMode> playbackModeFromName(QStringView name);
