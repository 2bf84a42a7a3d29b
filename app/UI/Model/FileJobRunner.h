#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QtConcurrent>

#include <functional>
#include <memory>
#include <optional>

// Keeps the file jobs (tag edits, the mojibake repair, organisations) apart and off the GUI
// thread. One job runs at a time: a job starts only while none runs, with its first progress text,
// and the progress text is the busy mark the interface shows. The work runs on a private pool that
// the runner waits for before it goes, so every service a worker uses outlives it. Progress posted
// from a worker reaches the GUI thread queued and tagged with its job, so a post that arrives after
// its job ended changes nothing. Lives on the GUI thread.
class FileJobRunner final : public QObject
{
    Q_OBJECT

public:
    using JobID = quint64;
    // Publishes the progress text; nothing when no job runs.
    using Publish = std::function<void(const std::optional<QString> &)>;

    explicit FileJobRunner(Publish publish, QObject *parent = nullptr);
    // Finishes a running job as quitting does.
    ~FileJobRunner() override;

    bool isBusy() const { return m_job.has_value(); }
    // Starts a job and publishes its first progress text; nothing while another job runs.
    std::optional<JobID> begin(const QString &progress);
    // Publishes a progress text of the running job; nothing for a job that has ended.
    void setProgress(JobID job, const QString &progress);
    // Progress that any thread may post for the job.
    std::function<void(const QString &)> progressPoster(JobID job);
    // Ends the job and clears the progress text.
    void finish(JobID job);

    // Runs `work` on the pool and hands its result to `done` on the GUI thread. When the program
    // quits while it runs, `stop` (when given) is called first, then the work is waited for and
    // `done` runs at once, so a job can leave the library and its journal in line with the files.
    template <typename T>
    void run(std::function<T()> work, std::function<void()> stop, std::function<void(const T &)> done);

    // Called when quitting: finishes the running step as described at run(), and everything that
    // step starts, then waits for the pool.
    void finishForQuit();

private:
    Publish m_publish;
    std::optional<JobID> m_job;
    JobID m_lastJob = 0;
    std::function<void()> m_finishForQuit;
    // Declared last so that it is destroyed first, waiting for the workers.
    QThreadPool m_pool;
};

template <typename T>
void FileJobRunner::run(std::function<T()> work, std::function<void()> stop, std::function<void(const T &)> done)
{
    auto *watcher = new QFutureWatcher<T>(this);
    auto delivered = std::make_shared<bool>(false);
    auto deliver = [watcher, delivered, done = std::move(done)] {
        if (std::exchange(*delivered, true))
            return;
        done(watcher->result());
    };
    m_finishForQuit = [watcher, stop = std::move(stop), deliver] {
        if (stop)
            stop();
        watcher->waitForFinished();
        deliver();
    };
    connect(watcher, &QFutureWatcher<T>::finished, this, [this, watcher, deliver] {
        watcher->deleteLater();
        // One step runs at a time: the quit action is this step's, and `done` may start the next.
        m_finishForQuit = {};
        deliver();
    });
    watcher->setFuture(QtConcurrent::run(&m_pool, std::move(work)));
}
