#pragma once

#include "Library/MetadataReading.h"
#include "Storage/FileLocation.h"

#include <QByteArray>
#include <QFuture>
#include <QList>
#include <QObject>
#include <QPromise>

#include <functional>
#include <memory>
#include <optional>

template <typename T>
class QFutureWatcher;

// Reads the embedded covers of audio files on the thread pool, a few files at a time, and hands
// each cover found to the thread that started the fetch as it arrives. A new read starts only
// when a finished one has been handed over, so at most `parallelism` covers are held at once,
// however many files there are. Deleting the fetch cancels its future; reads already running
// finish unseen.
class ArtworkFetch final : public QObject
{
    Q_OBJECT

public:
    // Called with the standardised location of the file and its cover bytes.
    using Take = std::function<void(const FileLocation &file, const QByteArray &cover)>;

    // Each standardised location is read once, through the first of `files` that leads to it.
    ArtworkFetch(const QList<FileLocation> &files, std::shared_ptr<const MetadataReading> reader, Take take,
                 int parallelism, QObject *parent = nullptr);

    // Finishes once every file was read and every cover handed over; the fetch then deletes itself.
    QFuture<void> future() { return m_promise.future(); }

private:
    struct Pending
    {
        FileLocation key;
        FileLocation file;
    };

    void startReads();
    void readFinished(const FileLocation &key, QFutureWatcher<std::optional<QByteArray>> *watcher);

    QList<Pending> m_pending;
    qsizetype m_next = 0;
    int m_running = 0;
    int m_parallelism;
    std::shared_ptr<const MetadataReading> m_reader;
    Take m_take;
    QPromise<void> m_promise;
};
