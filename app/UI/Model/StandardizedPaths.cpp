#include "StandardizedPaths.h"

const QList<QByteArrayView> &StandardizedPaths::of(const QList<Track> &tracks, quint64 tracksRevision)
{
    if (m_valid && m_revision == tracksRevision)
        return m_paths;
    m_tracks = tracks;
    m_cleaned.clear();
    m_paths.clear();
    m_paths.reserve(m_tracks.size());
    for (const Track &track : std::as_const(m_tracks)) {
        const FileLocation standard = track.url.standardized();
        if (standard.path().constData() == track.url.path().constData()) {
            m_paths.append(track.url.path());
        } else {
            m_cleaned.push_back(standard.path());
            m_paths.append(m_cleaned.back());
        }
    }
    m_revision = tracksRevision;
    m_valid = true;
    return m_paths;
}
