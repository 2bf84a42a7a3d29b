#include "ArtworkFetch.h"

#include <QFutureWatcher>
#include <QPointer>
#include <QSet>
#include <QtConcurrent>

ArtworkFetch::ArtworkFetch(const QList<FileLocation> &files, std::shared_ptr<const MetadataReading> reader, Take take,
                           int parallelism, QObject *parent)
    : QObject(parent), m_parallelism(std::max(1, parallelism)), m_reader(std::move(reader)), m_take(std::move(take))
{
    QSet<FileLocation> seen;
    for (const FileLocation &file : files) {
        FileLocation key = file.standardized();
        if (!seen.contains(key)) {
            seen.insert(key);
            m_pending.append({std::move(key), file});
        }
    }
    m_promise.start();
    startReads();
}

void ArtworkFetch::startReads()
{
    while (m_running < m_parallelism && m_next < m_pending.size()) {
        const Pending &pending = m_pending.at(m_next++);
        auto *watcher = new QFutureWatcher<std::optional<QByteArray>>(this);
        connect(watcher, &QFutureWatcherBase::finished, this,
                [this, key = pending.key, watcher] { readFinished(key, watcher); });
        watcher->setFuture(QtConcurrent::run([reader = m_reader, file = pending.file]() -> std::optional<QByteArray> {
            try {
                std::optional<AudioMetadata> metadata = reader->read(file);
                return metadata ? std::move(metadata->artworkData) : std::nullopt;
            } catch (...) {
                // A reader must not throw; one that does costs this file its cover, not the fetch.
                return std::nullopt;
            }
        }));
        ++m_running;
    }
    if (m_running == 0) {
        m_promise.finish();
        deleteLater();
    }
}

void ArtworkFetch::readFinished(const FileLocation &key, QFutureWatcher<std::optional<QByteArray>> *watcher)
{
    --m_running;
    QFuture<std::optional<QByteArray>> read = watcher->future();
    watcher->deleteLater();
    // Taking the result out of the future frees the cover as soon as it has been handed over.
    if (read.resultCount() > 0) {
        if (const std::optional<QByteArray> cover = read.takeResult()) {
            const QPointer<ArtworkFetch> alive(this);
            m_take(key, *cover);
            if (!alive) // the receiver went away, and this fetch with it
                return;
        }
    }
    startReads();
}
