#include "LibraryBrowser.h"

#include <QHash>

#include <numeric>

VisibleTrackList LibraryBrowser::visibleTracks(const QList<Track> &tracks, quint64 tracksRevision,
                                               const QList<Playlist> &playlists, quint64 playlistsRevision,
                                               const BrowseState &state)
{
    VisibleKey key{tracksRevision, state.selection.isPlaylist() ? playlistsRevision : 0, state};
    if (m_visibleKey == key)
        return m_visible;
    if (state.selection.isPlaylist())
        m_visible = playlistTracks(tracks, tracksRevision, playlists, playlistsRevision, state);
    else
        m_visible = VisibleTrackList(librarySource(tracks, tracksRevision), libraryRows(tracks, tracksRevision, state));
    m_visibleKey = std::move(key);
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
    const auto playlist = std::ranges::find(playlists, *selection.playlistID(), &Playlist::id);
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
    return lies(track.url.standardized().path(), folderPrefix);
}

QByteArray LibraryBrowser::folderPrefix(const FileLocation &folder)
{
    QByteArray prefix = folder.standardized().path();
    if (!prefix.endsWith('/'))
        prefix.append('/');
    return prefix;
}

// One source for every list of the same library, so that what is worked out about it (and a
// selection marked on it) holds from one list to the next.
const std::shared_ptr<const TrackSource> &LibraryBrowser::librarySource(const QList<Track> &tracks,
                                                                        quint64 tracksRevision)
{
    if (!m_librarySource || m_librarySourceRevision != tracksRevision) {
        m_librarySource = std::make_shared<const TrackSource>(tracks);
        m_librarySourceRevision = tracksRevision;
    }
    return m_librarySource;
}

// The sorted library's rows that lie in the shown folder and match the search. Picking the
// matches out of the sorted rows gives what sorting the matches alone gives, since the sort is
// stable.
QList<qsizetype> LibraryBrowser::libraryRows(const QList<Track> &tracks, quint64 tracksRevision,
                                             const BrowseState &state)
{
    const SortKey sortKey{tracksRevision, state.sort, state.ascending};
    if (m_sortKey != sortKey) {
        m_sortedRows = m_libraryQuery.apply(tracks, QString(), state.sort, state.ascending);
        m_sortKey = sortKey;
    }

    const std::optional<FileLocation> folder = state.selection.folderLocation();
    if (folder) {
        FolderKey folderKey{tracksRevision, *folder};
        if (m_folderKey != folderKey) {
            const QByteArray prefix = folderPrefix(*folder);
            const QList<QByteArrayView> &paths = m_paths->of(tracks, tracksRevision);
            m_inFolder.assign(size_t(tracks.size()), false);
            for (qsizetype row = 0; row < tracks.size(); ++row)
                m_inFolder[size_t(row)] = lies(paths.at(row), prefix);
            m_folderKey = std::move(folderKey);
        }
    }

    bool searching = !state.searchText.trimmed().isEmpty();
    if (searching) {
        SearchKey searchKey{tracksRevision, state.searchText};
        if (m_searchKey != searchKey) {
            const QList<qsizetype> matches = m_libraryQuery.filter(tracks, state.searchText);
            m_matchesAll = matches.size() == tracks.size();
            m_matching.assign(size_t(tracks.size()), false);
            for (qsizetype row : matches)
                m_matching[size_t(row)] = true;
            m_searchKey = std::move(searchKey);
        }
        searching = !m_matchesAll;
    }

    if (!folder && !searching)
        return m_sortedRows;
    QList<qsizetype> rows;
    rows.reserve(m_sortedRows.size());
    for (qsizetype row : m_sortedRows) {
        if ((!folder || m_inFolder[size_t(row)]) && (!searching || m_matching[size_t(row)]))
            rows.append(row);
    }
    return rows;
}

VisibleTrackList LibraryBrowser::playlistTracks(const QList<Track> &tracks, quint64 tracksRevision,
                                                const QList<Playlist> &playlists, quint64 playlistsRevision,
                                                const BrowseState &state)
{
    PlaylistKey key{tracksRevision, playlistsRevision, *state.selection.playlistID()};
    if (m_playlistKey != key) {
        m_playlistSource = std::make_shared<const TrackSource>(baseTracks(tracks, playlists, state.selection));
        m_playlistKey = std::move(key);
    }
    const QList<Track> &listed = m_playlistSource->tracks();
    if (state.sortsColumns())
        return {m_playlistSource, m_playlistQuery.apply(listed, state.searchText, state.sort, state.ascending)};
    return {m_playlistSource, m_playlistQuery.filter(listed, state.searchText)};
}
