#include "PlaybackMode.h"

QString playbackModeName(PlaybackMode mode)
{
    switch (mode) {
    case PlaybackMode::Sequential:
        return QStringLiteral("sequential");
    case PlaybackMode::RepeatAll:
        return QStringLiteral("repeatAll");
    case PlaybackMode::RepeatOne:
        return QStringLiteral("repeatOne");
    case PlaybackMode::Shuffle:
        return QStringLiteral("shuffle");
    }
    Q_UNREACHABLE();
    return {};
}

std::optional<PlaybackMode> playbackModeFromName(QStringView name)
{
    for (PlaybackMode mode : allPlaybackModes) {
        if (playbackModeName(mode) == name)
            return mode;
    }
    return std::nullopt;
}
