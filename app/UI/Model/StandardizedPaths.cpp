#include "StandardizedPaths.h"

namespace {

// Each track's path lives in its own allocation, so reading them in turn waits on memory for
// every one; asking for the bytes a few tracks ahead lets those waits overlap.
constexpr qsizetype prefetchDistance = 8;

void prefetch(const QByteArray &bytes)
{
    __builtin_prefetch(bytes.constData());
    if (bytes.size() > 64)
        __builtin_prefetch(bytes.constData() + 64);
}

} // namespace

const QList<QByteArrayView> &StandardizedPaths::of(const QList<Track> &tracks, quint64 tracksRevision)
{
    if (m_valid && m_revision == tracksRevision)
        return m_paths;
    m_bytes.clear();
    QList<qsizetype> ends;
    ends.reserve(tracks.size());
    for (qsizetype row = 0; row < tracks.size(); ++row) {
        if (row + prefetchDistance < tracks.size())
            prefetch(tracks.at(row + prefetchDistance).url.path());
        m_bytes.append(tracks.at(row).url.standardized().path());
        ends.append(m_bytes.size());
    }
    m_bytes.squeeze();
    m_paths.clear();
    m_paths.reserve(tracks.size());
    qsizetype start = 0;
    for (qsizetype end : std::as_const(ends)) {
        m_paths.append(QByteArrayView(m_bytes.constData() + start, end - start));
        start = end;
    }
    m_revision = tracksRevision;
    m_valid = true;
    return m_paths;
}
