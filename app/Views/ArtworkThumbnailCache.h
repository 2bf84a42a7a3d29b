#pragma once

#include "Storage/FileLocation.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QThreadPool>

// Cover thumbnails of the track rows: decoded on worker threads at the size they are drawn
// (in device pixels), kept in a bounded least-recently-used cache. Reading never touches the
// disk; a missing thumbnail is asked for once and announced when it arrives. A file that cannot
// be read is remembered as having no image, so the row keeps its placeholder.
class ArtworkThumbnailCache : public QObject
{
    Q_OBJECT

public:
    explicit ArtworkThumbnailCache(int capacity = 600, QObject *parent = nullptr);
    ~ArtworkThumbnailCache() override;

    // The thumbnail when it is decoded; a null image while it loads or when there is none.
    QImage thumbnail(const FileLocation &file, QSize pixelSize);
    int pendingCount() const { return int(m_pending.size()); }

    // Scaled to fill the square and cropped to its centre; null when the file is no image.
    static QImage decode(const FileLocation &file, QSize pixelSize);

signals:
    void thumbnailReady(const FileLocation &file);

private:
    struct Key
    {
        FileLocation file;
        QSize size;
        friend bool operator==(const Key &, const Key &) = default;
    };
    friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.file, key.size.width(), key.size.height()); }

    void store(const Key &key, const QImage &image);

    QCache<Key, QImage> m_cache;
    QSet<Key> m_pending;
    QThreadPool m_workers;
};
