#pragma once

#include "BrowseState.h"
#include "StandardizedPaths.h"
#include "VisibleTrackList.h"

#include "Library/TrackQuery.h"
#include "Models/Playlist.h"
#include "Models/Track.h"

#include <QList>

#include <memory>
#include <optional>
#include <vector>

// Works out the visible track list and keeps it. For all music, recently added and folders it
// keeps the whole library sorted (per sort), which tracks lie in the shown folder and which match
// the search, each as long as its inputs stay the same; the list shown is the sorted rows that
// pass both. A keystroke therefore only searches, a selection only picks rows, and a read with
// nothing changed returns the kept list. Playlists are worked out from their own tracks.
class LibraryBrowser
{
public:
    explicit LibraryBrowser(std::shared_ptr<StandardizedPaths> paths = std::make_shared<StandardizedPaths>())
        : m_paths(std::move(paths))
    {
    }

    // The revisions count changes of the library's tracks and of the playlists; equal revisions
    // promise equal lists.
    VisibleTrackList visibleTracks(const QList<Track> &tracks, quint64 tracksRevision,
                                   const QList<Playlist> &playlists, quint64 playlistsRevision,
                                   const BrowseState &state);

    // The selection's tracks before search and sort: all tracks, a folder's tracks in library
    // order, or a playlist's tracks in its order (identifiers without a track left out, repeats
    // kept); none for a playlist that does not exist.
    static QList<Track> baseTracks(const QList<Track> &tracks, const QList<Playlist> &playlists,
                                   const LibrarySelection &selection);
    // The track lies strictly below the folder, by standardised paths.
    static bool belongs(const Track &track, const QByteArray &folderPrefix);
    static bool lies(QByteArrayView standardizedPath, const QByteArray &folderPrefix)
    {
        return standardizedPath.size() > folderPrefix.size() && standardizedPath.startsWith(folderPrefix);
    }
    // The folder's standardised path followed by one "/".
    static QByteArray folderPrefix(const FileLocation &folder);

private:
    struct VisibleKey
    {
        quint64 tracksRevision = 0;
        quint64 playlistsRevision = 0;
        BrowseState state;
        friend bool operator==(const VisibleKey &, const VisibleKey &) = default;
    };
    struct SortKey
    {
        quint64 tracksRevision = 0;
        TrackSort sort = TrackSort::Title;
        bool ascending = true;
        friend bool operator==(const SortKey &, const SortKey &) = default;
    };
    struct FolderKey
    {
        quint64 tracksRevision = 0;
        FileLocation folder;
        friend bool operator==(const FolderKey &, const FolderKey &) = default;
    };
    struct SearchKey
    {
        quint64 tracksRevision = 0;
        QString text;
        friend bool operator==(const SearchKey &, const SearchKey &) = default;
    };
    struct PlaylistKey
    {
        quint64 tracksRevision = 0;
        quint64 playlistsRevision = 0;
        QUuid playlistID;
        friend bool operator==(const PlaylistKey &, const PlaylistKey &) = default;
    };

    const std::shared_ptr<const TrackSource> &librarySource(const QList<Track> &tracks, quint64 tracksRevision);
    QList<qsizetype> libraryRows(const QList<Track> &tracks, quint64 tracksRevision, const BrowseState &state);
    VisibleTrackList playlistTracks(const QList<Track> &tracks, quint64 tracksRevision,
                                    const QList<Playlist> &playlists, quint64 playlistsRevision,
                                    const BrowseState &state);

    // Kept for the library's own list.
    std::shared_ptr<StandardizedPaths> m_paths;
    std::shared_ptr<const TrackSource> m_librarySource;
    quint64 m_librarySourceRevision = 0;
    TrackQuery m_libraryQuery;
    std::optional<SortKey> m_sortKey;
    QList<qsizetype> m_sortedRows;
    std::optional<FolderKey> m_folderKey;
    std::vector<bool> m_inFolder;
    std::optional<SearchKey> m_searchKey;
    std::vector<bool> m_matching;
    bool m_matchesAll = false;

    // Kept for the shown playlist.
    TrackQuery m_playlistQuery;
    std::optional<PlaylistKey> m_playlistKey;
    std::shared_ptr<const TrackSource> m_playlistSource;

    std::optional<VisibleKey> m_visibleKey;
    VisibleTrackList m_visible;
};
