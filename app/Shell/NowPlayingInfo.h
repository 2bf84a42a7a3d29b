#pragma once

#include <QString>
#include <QUuid>

#include <optional>

class AppModel;

// What the desktop is told about the current track: replaced whole on every update.
struct NowPlayingInfo
{
    enum class State { stopped, playing, paused };

    State state = State::stopped;
    QUuid trackID;
    QString title;
    // Empty when the track has none.
    QString artist;
    QString album;
    // Seconds; none when neither the loaded file nor the track knows its length.
    std::optional<double> duration;
    // Seconds: the engine's position while a file is loaded, else the saved resume position.
    double elapsed = 0;
    // 1 while playing, else 0.
    double rate = 0;

    // Stopped and empty without a current track.
    static NowPlayingInfo of(const AppModel &model);

    friend bool operator==(const NowPlayingInfo &, const NowPlayingInfo &) = default;
};
