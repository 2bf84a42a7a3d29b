#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>

// A save that waits until its value has stopped changing: every schedule() restarts the wait, so
// a slider dragged through many values saves once, one delay after it stops. A save still waiting
// when this object goes away is dropped.
class DelayedSave : public QObject
{
    Q_OBJECT

public:
    DelayedSave(std::chrono::milliseconds delay, std::function<void()> save, QObject *parent = nullptr);

    void schedule();
    // Runs a waiting save at once; nothing when none waits.
    void flush();
    bool isPending() const { return m_timer.isActive(); }

private:
    QTimer m_timer;
    std::function<void()> m_save;
};
