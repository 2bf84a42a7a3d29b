#include "ArtworkThumbnailCache.h"

#include <QFile>
#include <QFutureWatcher>
#include <QImageReader>
#include <QtConcurrent>

#include <cstdio>

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
    // Opened by its raw path bytes: names need not be UTF-8.
    std::FILE *handle = std::fopen(file.cPath(), "rb");
    if (!handle)
        return {};
    QFile device;
    if (!device.open(handle, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        std::fclose(handle);
        return {};
    }
    QImageReader reader(&device);
    reader.setAutoTransform(true);
    const QSize original = reader.size();
    if (original.isEmpty() || pixelSize.isEmpty())
        return {};
    // Scaled while decoding, so a large cover never exists at full size in memory.
    reader.setScaledSize(original.scaled(pixelSize, Qt::KeepAspectRatioByExpanding));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    const QRect centre(QPoint((image.width() - pixelSize.width()) / 2, (image.height() - pixelSize.height()) / 2),
                       pixelSize);
    return image.copy(centre).convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
