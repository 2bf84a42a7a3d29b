#pragma once

#include "Models/Track.h"
#include "Storage/FileLocation.h"
#include "Storage/FileOperations.h"
#include "TranscodeError.h"

#include <QFuture>
#include <QHash>
#include <QMutex>
#include <QStringList>
#include <QThreadPool>

#include <expected>
#include <memory>
#include <optional>
#include <stop_token>

using TranscodeResult = std::expected<FileLocation, TranscodeError>;

// Converts audio files the player cannot play into ALAC copies in the transcoding cache with the
// external ffmpeg. One worker runs one child at a time, the priority lane before the background
// lane; every caller waiting for a job gets its result, in the order they asked. Callable from
// any thread; the lock is never held across a child process, file work of a conversion or the
// answering of a waiter. Destroying the queue kills a running child and answers every waiter.
class TranscodeQueue
{
public:
    TranscodeQueue(const FileLocation &cacheRoot, std::optional<FileLocation> ffmpeg,
                   FileOperations &files = FileOperations::system());
    ~TranscodeQueue();
    TranscodeQueue(const TranscodeQueue &) = delete;
    TranscodeQueue &operator=(const TranscodeQueue &) = delete;

    // True while a conversion runs (waiting jobs do not count).
    bool isProcessing() const;
    // Queued jobs see the new executable when they run; nothing starts.
    void updateFFmpeg(std::optional<FileLocation> ffmpeg);

    // The track's cached copy when it exists.
    std::optional<FileLocation> cachedURL(const Track &track) const;
    // Queues a conversion unless the copy exists; dropped quietly while ffmpeg is not located.
    // A priority request moves a waiting background job to the end of the priority lane.
    void enqueue(const Track &track, bool priority);
    // The cached copy, converted first in the priority lane when needed. Cancelling the future
    // neither removes the request nor stops the conversion.
    QFuture<TranscodeResult> ensureCached(const Track &track);
    // Empties the cache folder; refused while a job runs or waits.
    std::expected<void, TranscodeError> clearCache();

private:
    struct Job;

    QString cacheKey(const Track &track) const;
    void promoteLocked(const QString &key, Job &job);
    void startNextIfIdle();
    void run(const QString &key, const Track &track);
    TranscodeResult transcode(const Track &track, const FileLocation &ffmpeg);

    const FileLocation m_cacheRoot;
    FileOperations &m_files;

    mutable QMutex m_lock;
    std::optional<FileLocation> m_ffmpeg;
    QHash<QString, std::shared_ptr<Job>> m_jobs;
    QStringList m_priorityKeys;
    QStringList m_backgroundKeys;
    std::optional<QString> m_activeKey;

    std::stop_source m_stop;
    QThreadPool m_worker;
};
