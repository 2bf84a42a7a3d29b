#include "FileJobRunner.h"

FileJobRunner::FileJobRunner(Publish publish, QObject *parent)
    : QObject(parent), m_publish(std::move(publish))
{
    // Files are handled one after another; a second thread would only let a late worker race.
    m_pool.setMaxThreadCount(1);
}

FileJobRunner::~FileJobRunner()
{
    finishForQuit();
}

std::optional<FileJobRunner::JobID> FileJobRunner::begin(const QString &progress)
{
    if (m_job)
        return std::nullopt;
    m_job = ++m_lastJob;
    m_publish(progress);
    return m_job;
}

void FileJobRunner::setProgress(JobID job, const QString &progress)
{
    if (m_job == job)
        m_publish(progress);
}

std::function<void(const QString &)> FileJobRunner::progressPoster(JobID job)
{
    // The pool is waited for before the runner goes, so no worker can post to a dead runner.
    return [this, job](const QString &progress) {
        QMetaObject::invokeMethod(this, [this, job, progress] { setProgress(job, progress); }, Qt::QueuedConnection);
    };
}

void FileJobRunner::finish(JobID job)
{
    if (m_job != job)
        return;
    m_job.reset();
    m_publish(std::nullopt);
}

void FileJobRunner::finishForQuit()
{
    while (m_finishForQuit)
        std::exchange(m_finishForQuit, {})();
    m_pool.waitForDone();
}
