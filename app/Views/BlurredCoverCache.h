#pragma once

#include "Storage/FileLocation.h"

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>

// Blurred covers made on worker threads, kept per cover file and size bucket. Asking for one
// that is not ready starts its making (once) and answers null; `ready` follows when it is done.
class BlurredCoverCache : public QObject
{
    Q_OBJECT

public:
    explicit BlurredCoverCache(QObject *parent = nullptr);

    // The cover for a square of `side` pixels blurred by `blurRadius` pixels, or null until made.
    // A file that cannot be read stays null and is not tried again.
    QImage find(const FileLocation &cover, int side, qreal blurRadius);

signals:
    void ready(const FileLocation &cover);

private:
    struct Key
    {
        FileLocation cover;
        int bucket;
        friend bool operator==(const Key &, const Key &) = default;
        friend size_t qHash(const Key &key, size_t seed) { return qHashMulti(seed, key.cover, key.bucket); }
    };

    QCache<Key, QImage> m_images;
    QSet<Key> m_pending;
};
