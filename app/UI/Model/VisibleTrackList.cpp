#include "VisibleTrackList.h"

qsizetype VisibleTrackList::indexOf(const QUuid &trackID) const
{
    for (qsizetype index = 0; index < m_rows.size(); ++index) {
        if (m_source.at(m_rows.at(index)).id == trackID)
            return index;
    }
    return -1;
}

QList<QUuid> VisibleTrackList::ids() const
{
    QList<QUuid> ids;
    ids.reserve(m_rows.size());
    for (qsizetype row : m_rows)
        ids.append(m_source.at(row).id);
    return ids;
}

QList<Track> VisibleTrackList::toList() const
{
    QList<Track> tracks;
    tracks.reserve(m_rows.size());
    for (qsizetype row : m_rows)
        tracks.append(m_source.at(row));
    return tracks;
}
