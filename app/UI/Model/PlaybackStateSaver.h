#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

// Saves the playback state at a fixed interval while the engine plays, and once whenever it
// stops. The first save comes one interval after playing starts.
class PlaybackStateSaver : public QObject
{
    Q_OBJECT

public:
    PlaybackStateSaver(std::chrono::milliseconds interval, std::function<void()> save, QObject *parent = nullptr);

    // Follows the engine's playing flag.
    void playingChanged(bool playing);
    bool isTimerRunning() const { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_save;
};
