#pragma once

#include "Library/IndexStore.h"
#include "Settings/AppSettings.h"
#include "Storage/FileError.h"
#include "Storage/FileOperations.h"

#include <QFuture>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <chrono>
#include <expected>
#include <functional>
#include <optional>

// Writes settings.json off the GUI thread. Each save hands over a snapshot; saves that arrive
// within the coalescing window are written once, with the newest snapshot, one write at a time.
// The bytes and the backup scheme are the library store's. Lives on the GUI thread.
class SettingsWriter : public QObject
{
    Q_OBJECT

public:
    using Outcome = std::expected<void, FileError>;

    // `written` hears the outcome of every write, on the GUI thread.
    SettingsWriter(const FileLocation &directory, FileOperations &files, std::chrono::milliseconds coalescing,
                   std::function<void(const Outcome &)> written, QObject *parent = nullptr);
    // Writes what is still pending.
    ~SettingsWriter() override;

    // `done` hears the outcome of the write that carries this snapshot, after `written`.
    void save(const AppSettings &settings, std::function<void(const Outcome &)> done = {});
    // Waits for a running write and writes the pending snapshot before it returns.
    void flush();
    // No write runs and none waits.
    bool isIdle() const { return !m_pending && !m_running.has_value(); }

private:
    void startWrite();
    void finishWrite(quint64 sequence, const Outcome &outcome);
    void report(const Outcome &outcome, QList<std::function<void(const Outcome &)>> done);

    IndexStore m_store;
    QThreadPool m_worker;
    QTimer m_coalescing;
    std::function<void(const Outcome &)> m_written;
    std::optional<AppSettings> m_pending;
    QList<std::function<void(const Outcome &)>> m_pendingDone;
    QList<std::function<void(const Outcome &)>> m_runningDone;
    // The write in flight, by its sequence number.
    std::optional<std::pair<quint64, QFuture<Outcome>>> m_running;
    quint64 m_sequence = 0;
};
