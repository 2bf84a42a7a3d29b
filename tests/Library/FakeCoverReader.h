#pragma once

#include "Library/MetadataReading.h"

#include <QFuture>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QtCore/qtestsupport_core.h>

#include <atomic>
#include <stdexcept>

// Covers by path; a path without an entry reads as a file without artwork, one mapped to
// "unreadable" as a file that is not audio, and one mapped to "throws" as a broken reader.
class FakeCoverReader final : public MetadataReading
{
public:
    explicit FakeCoverReader(QHash<QByteArray, QByteArray> covers) : m_covers(std::move(covers)) {}

    std::optional<AudioMetadata> read(const FileLocation &url) const override
    {
        const int holding = ++held;
        for (int seen = maxHeld.load(); holding > seen && !maxHeld.compare_exchange_weak(seen, holding);) {
        }
        {
            QMutexLocker lock(&m_mutex);
            readPaths.append(url.path());
        }
        QThread::msleep(2); // let reads overlap
        const QByteArray cover = m_covers.value(url.path());
        if (cover == "throws")
            throw std::runtime_error("broken reader");
        if (cover == "unreadable")
            return std::nullopt;
        return AudioMetadata{.duration = 1, .artworkData = cover.isNull() ? std::nullopt : std::optional(cover)};
    }

    // Covers read but not yet handed over; the test's `take` lowers it.
    mutable std::atomic<int> held = 0;
    mutable std::atomic<int> maxHeld = 0;
    mutable QList<QByteArray> readPaths;

private:
    QHash<QByteArray, QByteArray> m_covers;
    mutable QMutex m_mutex;
};

// Runs the event loop until the future finishes (at most 20 s); tells whether it did.
inline bool waitFor(const QFuture<void> &future)
{
    return QTest::qWaitFor([&] { return future.isFinished(); }, 20'000);
}
