#pragma once

#include "BrowseState.h"
#include "VisibleTrackList.h"

#include "Library/TrackQuery.h"
#include "Models/Playlist.h"
#include "Models/Track.h"

#include <QList>

#include <optional>

// Works out the visible track list and keeps it, in three layers that each change less often
// than the next: the selection's tracks (per library and playlists revision), their sorted order
// (per sort), and the rows that match the search. A keystroke only filters the sorted rows; a
// read with nothing changed returns the kept list.
class LibraryBrowser
{
public:
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
    // The folder's standardised path followed by one "/".
    static QByteArray folderPrefix(const FileLocation &folder);

private:
    struct BaseKey
    {
        quint64 tracksRevision = 0;
        quint64 playlistsRevision = 0;
        LibrarySelection selection;
        friend bool operator==(const BaseKey &, const BaseKey &) = default;
    };
    struct OrderKey
    {
        bool sorted = false;
        TrackSort sort = TrackSort::Title;
        bool ascending = true;
        friend bool operator==(const OrderKey &, const OrderKey &) = default;
    };

    void updateBase(const QList<Track> &tracks, const QList<Playlist> &playlists, const BaseKey &key);
    void updateOrder(const OrderKey &key);
    void updateRows(const QString &searchText);

    TrackQuery m_query;

    std::optional<BaseKey> m_baseKey;
    QList<Track> m_base;

    std::optional<OrderKey> m_orderKey;
    // Rows of the base list in the shown order.
    QList<qsizetype> m_order;

    std::optional<QString> m_rowsSearch;
    VisibleTrackList m_visible;
};
