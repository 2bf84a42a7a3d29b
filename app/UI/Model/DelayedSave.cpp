#include "DelayedSave.h"

DelayedSave::DelayedSave(std::chrono::milliseconds delay, std::function<void()> save, QObject *parent)
    : QObject(parent), m_save(std::move(save))
{
    m_timer.setSingleShot(true);
    m_timer.setInterval(delay);
    connect(&m_timer, &QTimer::timeout, this, [this] { m_save(); });
}

void DelayedSave::schedule()
{
    m_timer.start();
}

void DelayedSave::flush()
{
    if (!m_timer.isActive())
        return;
    m_timer.stop();
    m_save();
}
