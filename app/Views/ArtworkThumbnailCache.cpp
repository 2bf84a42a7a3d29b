#include "ArtworkThumbnailCache.h"

#include "CoverFile.h"

#include <QFutureWatcher>
#include <QtConcurrent>

ArtworkThumbnailCache::ArtworkThumbnailCache(int capacity, QObject *parent) : QObject(parent), m_cache(capacity)
{
    // Two decoders keep up with scrolling without crowding out the library's own work.
    m_workers.setMaxThreadCount(2);
}

ArtworkThumbnailCache::~ArtworkThumbnailCache()
{
    m_workers.clear();
    m_workers.waitForDone();
}

QImage ArtworkThumbnailCache::thumbnail(const FileLocation &file, QSize pixelSize)
{
    const Key key{file, pixelSize};
    if (const QImage *image = m_cache.object(key))
        return *image;
    if (m_pending.contains(key))
        return {};
    m_pending.insert(key);
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, key] {
        watcher->deleteLater();
        m_pending.remove(key);
        store(key, watcher->result());
    });
    watcher->setFuture(QtConcurrent::run(&m_workers, &ArtworkThumbnailCache::decode, file, pixelSize));
    return {};
}

void ArtworkThumbnailCache::store(const Key &key, const QImage &image)
{
    m_cache.insert(key, new QImage(image));
    emit thumbnailReady(key.file);
}

QImage ArtworkThumbnailCache::decode(const FileLocation &file, QSize pixelSize)
{
    const QImage image = CoverFile::read(file, [pixelSize](QImageReader &reader) {
        const QSize original = reader.size();
        if (original.isEmpty() || pixelSize.isEmpty())
            return false;
        // Scaled while decoding, so a large cover never exists at full size in memory.
        reader.setScaledSize(original.scaled(pixelSize, Qt::KeepAspectRatioByExpanding));
        return true;
    });
    if (image.isNull())
        return {};
    const QRect centre(QPoint((image.width() - pixelSize.width()) / 2, (image.height() - pixelSize.height()) / 2),
                       pixelSize);
    return image.copy(centre).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
