#include "SettingsWriter.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QtConcurrent>

SettingsWriter::SettingsWriter(const FileLocation &directory, FileOperations &files,
                               std::chrono::milliseconds coalescing, std::function<void(const Outcome &)> written,
                               QObject *parent)
    : QObject(parent), m_store(directory, files), m_written(std::move(written))
{
    m_worker.setMaxThreadCount(1);
    m_coalescing.setSingleShot(true);
    m_coalescing.setInterval(coalescing);
    connect(&m_coalescing, &QTimer::timeout, this, &SettingsWriter::startWrite);
}

SettingsWriter::~SettingsWriter()
{
    flush();
}

void SettingsWriter::save(const AppSettings &settings, std::function<void(const Outcome &)> done)
{
    m_pending = settings;
    if (done)
        m_pendingDone.append(std::move(done));
    if (!m_running && !m_coalescing.isActive())
        m_coalescing.start();
}

void SettingsWriter::flush()
{
    m_coalescing.stop();
    if (m_running) {
        auto [sequence, future] = *m_running;
        future.waitForFinished();
        finishWrite(sequence, future.result());
    }
    if (m_pending) {
        const AppSettings settings = std::move(*m_pending);
        m_pending.reset();
        report(m_store.saveSettings(settings), std::exchange(m_pendingDone, {}));
    }
    m_coalescing.stop();
}

void SettingsWriter::startWrite()
{
    if (m_running || !m_pending)
        return;
    const AppSettings settings = std::move(*m_pending);
    m_pending.reset();
    m_runningDone = std::exchange(m_pendingDone, {});
    const quint64 sequence = ++m_sequence;
    QFuture<Outcome> future =
        QtConcurrent::run(&m_worker, [store = &m_store, settings] { return store->saveSettings(settings); });
    m_running = {sequence, future};
    auto *watcher = new QFutureWatcher<Outcome>(this);
    connect(watcher, &QFutureWatcher<Outcome>::finished, this, [this, watcher, sequence] {
        watcher->deleteLater();
        finishWrite(sequence, watcher->result());
    });
    watcher->setFuture(future);
}

// Both the watcher and flush() may report one write; the first report counts.
void SettingsWriter::finishWrite(quint64 sequence, const Outcome &outcome)
{
    if (!m_running || m_running->first != sequence)
        return;
    m_running.reset();
    report(outcome, std::exchange(m_runningDone, {}));
    if (m_pending && !m_coalescing.isActive())
        m_coalescing.start();
}

void SettingsWriter::report(const Outcome &outcome, QList<std::function<void(const Outcome &)>> done)
{
    if (m_written)
        m_written(outcome);
    for (const auto &action : done)
        action(outcome);
}
