#include "PlaybackStateSaver.h"

PlaybackStateSaver::PlaybackStateSaver(std::chrono::milliseconds interval, std::function<void()> save,
                                       QObject *parent)
    : QObject(parent), m_save(std::move(save))
{
    m_timer.setInterval(interval);
    m_timer.setTimerType(Qt::CoarseTimer);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_save(); });
}

void PlaybackStateSaver::playingChanged(bool playing)
{
    if (playing) {
        if (!m_timer.isActive())
            m_timer.start();
        return;
    }
    m_timer.stop();
    m_save();
}
