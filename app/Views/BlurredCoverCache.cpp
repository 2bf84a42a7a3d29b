#include "BlurredCoverCache.h"

#include "BlurredCover.h"

#include <QFutureWatcher>
#include <QtConcurrent>

namespace {

// A few pages' worth of images, counted in kilobytes.
constexpr qsizetype cacheKilobytes = 48 * 1024;

} // namespace

BlurredCoverCache::BlurredCoverCache(QObject *parent) : QObject(parent), m_images(cacheKilobytes)
{
}

QImage BlurredCoverCache::find(const FileLocation &cover, int side, qreal blurRadius)
{
    const Key key { cover, BlurredCover::sizeBucket(side) };
    if (const QImage *image = m_images.object(key))
        return *image;
    if (m_pending.contains(key))
        return {};

    m_pending.insert(key);
    auto *watcher = new QFutureWatcher<QImage>(this);
    connect(watcher, &QFutureWatcher<QImage>::finished, this, [this, watcher, key] {
        watcher->deleteLater();
        m_pending.remove(key);
        const QImage image = watcher->result();
        // An unreadable file is kept as a null image, so that it is not read over and over.
        m_images.insert(key, new QImage(image), std::max<qsizetype>(1, image.sizeInBytes() / 1024));
        if (!image.isNull())
            emit ready(key.cover);
    });
    watcher->setFuture(QtConcurrent::run([cover, side, blurRadius] { return BlurredCover::make(cover, side, blurRadius); }));
    return {};
}
