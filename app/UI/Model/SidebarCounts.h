#pragma once

#include "StandardizedPaths.h"

#include "Models/Playlist.h"
#include "Models/Track.h"
#include "Storage/FileLocation.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QUuid>

#include <memory>

// The counts beside the sidebar's folders and playlists, worked out once per revision of the
// library (and of the playlists) and then read for free.
class SidebarCounts
{
public:
    explicit SidebarCounts(std::shared_ptr<StandardizedPaths> paths = std::make_shared<StandardizedPaths>())
        : m_paths(std::move(paths))
    {
    }

    // Tracks strictly below the folder. Counting the library's folders together costs one pass.
    int trackCount(const QList<Track> &tracks, quint64 tracksRevision, const QList<FileLocation> &libraryFolders,
                   const FileLocation &folder);
    // The playlist's identifiers that name a library track, repeats counted each time.
    int resolvableTrackCount(const QList<Track> &tracks, quint64 tracksRevision, quint64 playlistsRevision,
                             const Playlist &playlist);

private:
    void startRevision(quint64 tracksRevision, quint64 playlistsRevision);
    void countFolders(const QList<Track> &tracks, const QList<FileLocation> &folders);

    std::shared_ptr<StandardizedPaths> m_paths;

    quint64 m_tracksRevision = 0;
    quint64 m_playlistsRevision = 0;
    bool m_valid = false;
    QHash<FileLocation, int> m_folderCounts;
    QSet<QUuid> m_trackIDs;
    QHash<QUuid, int> m_playlistCounts;
};
