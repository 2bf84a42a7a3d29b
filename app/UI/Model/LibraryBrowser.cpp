#include "LibraryBrowser.h"

#include <QHash>

#include <numeric>
#include <vector>

VisibleTrackList LibraryBrowser::visibleTracks(const QList<Track> &tracks, quint64 tracksRevision,
                                               const QList<Playlist> &playlists, quint64 playlistsRevision,
                                               const BrowseState &state)
{
    const BaseKey baseKey{tracksRevision, playlistsRevision, state.selection};
    if (m_baseKey != baseKey)
        updateBase(tracks, playlists, baseKey);
    const OrderKey orderKey{state.sortsColumns(), state.sort, state.ascending};
    if (m_orderKey != orderKey)
        updateOrder(orderKey);
    if (m_rowsSearch != state.searchText)
        updateRows(state.searchText);
    return m_visible;
}

QList<Track> LibraryBrowser::baseTracks(const QList<Track> &tracks, const QList<Playlist> &playlists,
                                        const LibrarySelection &selection)
{
    switch (selection.kind()) {
    case LibrarySelection::Kind::AllMusic:
    case LibrarySelection::Kind::RecentlyAdded:
        return tracks;
    case LibrarySelection::Kind::Folder: {
        const QByteArray prefix = folderPrefix(*selection.folderLocation());
        QList<Track> inside;
        for (const Track &track : tracks) {
            if (belongs(track, prefix))
                inside.append(track);
        }
        return inside;
    }
    case LibrarySelection::Kind::Playlist:
        break;
    }
    const QUuid id = *selection.playlistID();
    const auto playlist = std::ranges::find(playlists, id, &Playlist::id);
    if (playlist == playlists.end())
        return {};
    QHash<QUuid, qsizetype> rowOf;
    rowOf.reserve(tracks.size());
    for (qsizetype row = 0; row < tracks.size(); ++row)
        rowOf.insert(tracks.at(row).id, row);
    QList<Track> listed;
    listed.reserve(playlist->trackIDs.size());
    for (const QUuid &trackID : playlist->trackIDs) {
        if (const auto row = rowOf.constFind(trackID); row != rowOf.cend())
            listed.append(tracks.at(*row));
    }
    return listed;
}

bool LibraryBrowser::belongs(const Track &track, const QByteArray &folderPrefix)
{
    const FileLocation location = track.url.standardized();
    return location.path().size() > folderPrefix.size() && location.path().startsWith(folderPrefix);
}

QByteArray LibraryBrowser::folderPrefix(const FileLocation &folder)
{
    QByteArray prefix = folder.standardized().path();
    if (!prefix.endsWith('/'))
        prefix.append('/');
    return prefix;
}

void LibraryBrowser::updateBase(const QList<Track> &tracks, const QList<Playlist> &playlists, const BaseKey &key)
{
    m_base = baseTracks(tracks, playlists, key.selection);
    m_baseKey = key;
    m_orderKey.reset();
}

void LibraryBrowser::updateOrder(const OrderKey &key)
{
    if (key.sorted) {
        m_order = m_query.apply(m_base, QString(), key.sort, key.ascending);
    } else {
        m_order.resize(m_base.size());
        std::iota(m_order.begin(), m_order.end(), 0);
    }
    m_orderKey = key;
    m_rowsSearch.reset();
}

// The search keeps the shown order: the matching rows are picked out of the sorted rows, which is
// what sorting the matches alone gives, since the sort is stable.
void LibraryBrowser::updateRows(const QString &searchText)
{
    m_rowsSearch = searchText;
    if (searchText.trimmed().isEmpty()) {
        m_visible = VisibleTrackList(m_base, m_order);
        return;
    }
    const QList<qsizetype> matches = m_query.filter(m_base, searchText);
    if (!m_orderKey->sorted) {
        m_visible = VisibleTrackList(m_base, matches);
        return;
    }
    std::vector<bool> matching(size_t(m_base.size()), false);
    for (qsizetype row : matches)
        matching[size_t(row)] = true;
    QList<qsizetype> rows;
    rows.reserve(matches.size());
    for (qsizetype row : m_order) {
        if (matching[size_t(row)])
            rows.append(row);
    }
    m_visible = VisibleTrackList(m_base, rows);
}
