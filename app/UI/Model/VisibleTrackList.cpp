#include "VisibleTrackList.h"

#include <QHash>

const std::vector<QUuid> &TrackSource::ids() const
{
    if (m_ids.empty() && !m_tracks.isEmpty()) {
        m_ids.reserve(size_t(m_tracks.size()));
        for (const Track &track : m_tracks)
            m_ids.push_back(track.id);
    }
    return m_ids;
}

void TrackSource::findRepeats() const
{
    const std::vector<QUuid> &trackIDs = ids();
    QHash<QUuid, qsizetype> firstRows;
    firstRows.reserve(qsizetype(trackIDs.size()));
    bool repeats = false;
    for (size_t row = 0; row < trackIDs.size(); ++row) {
        if (firstRows.contains(trackIDs[row]))
            repeats = true;
        else
            firstRows.insert(trackIDs[row], qsizetype(row));
    }
    if (repeats) {
        m_firstRows.resize(trackIDs.size());
        for (size_t row = 0; row < trackIDs.size(); ++row)
            m_firstRows[row] = firstRows.value(trackIDs[row]);
    }
    m_repeatsKnown = true;
}

qsizetype VisibleTrackList::indexOf(const QUuid &trackID) const
{
    if (m_rows.isEmpty())
        return -1;
    const std::vector<QUuid> &ids = m_source->ids();
    for (qsizetype index = 0; index < m_rows.size(); ++index) {
        if (ids[size_t(m_rows.at(index))] == trackID)
            return index;
    }
    return -1;
}

QList<QUuid> VisibleTrackList::ids() const
{
    QList<QUuid> ids;
    ids.reserve(m_rows.size());
    for (qsizetype index = 0; index < m_rows.size(); ++index)
        ids.append(at(index).id);
    return ids;
}

QList<Track> VisibleTrackList::toList() const
{
    QList<Track> tracks;
    tracks.reserve(m_rows.size());
    for (qsizetype index = 0; index < m_rows.size(); ++index)
        tracks.append(at(index));
    return tracks;
}
