#include "SidebarCounts.h"

#include "LibraryBrowser.h"

#include <vector>

int SidebarCounts::trackCount(const QList<Track> &tracks, quint64 tracksRevision,
                              const QList<FileLocation> &libraryFolders, const FileLocation &folder)
{
    startRevision(tracksRevision, m_playlistsRevision);
    if (const auto known = m_folderCounts.constFind(folder); known != m_folderCounts.cend())
        return *known;
    QList<FileLocation> folders = libraryFolders;
    if (!folders.contains(folder))
        folders.append(folder);
    countFolders(tracks, folders);
    return m_folderCounts.value(folder);
}

int SidebarCounts::resolvableTrackCount(const QList<Track> &tracks, quint64 tracksRevision,
                                        quint64 playlistsRevision, const Playlist &playlist)
{
    startRevision(tracksRevision, playlistsRevision);
    if (const auto known = m_playlistCounts.constFind(playlist.id); known != m_playlistCounts.cend())
        return *known;
    if (m_trackIDs.isEmpty() && !tracks.isEmpty()) {
        m_trackIDs.reserve(tracks.size());
        for (const Track &track : tracks)
            m_trackIDs.insert(track.id);
    }
    int count = 0;
    for (const QUuid &id : playlist.trackIDs)
        count += m_trackIDs.contains(id) ? 1 : 0;
    m_playlistCounts.insert(playlist.id, count);
    return count;
}

void SidebarCounts::startRevision(quint64 tracksRevision, quint64 playlistsRevision)
{
    if (m_valid && tracksRevision == m_tracksRevision && playlistsRevision == m_playlistsRevision)
        return;
    if (!m_valid || tracksRevision != m_tracksRevision) {
        m_folderCounts.clear();
        m_trackIDs.clear();
    }
    m_playlistCounts.clear();
    m_tracksRevision = tracksRevision;
    m_playlistsRevision = playlistsRevision;
    m_valid = true;
}

// One pass over the tracks, each path tested against every folder's prefix.
void SidebarCounts::countFolders(const QList<Track> &tracks, const QList<FileLocation> &folders)
{
    std::vector<QByteArray> prefixes;
    prefixes.reserve(size_t(folders.size()));
    for (const FileLocation &folder : folders)
        prefixes.push_back(LibraryBrowser::folderPrefix(folder));
    std::vector<int> counts(prefixes.size(), 0);
    for (const Track &track : tracks) {
        const FileLocation location = track.url.standardized();
        const QByteArray &path = location.path();
        for (size_t index = 0; index < prefixes.size(); ++index) {
            if (path.size() > prefixes[index].size() && path.startsWith(prefixes[index]))
                ++counts[index];
        }
    }
    for (size_t index = 0; index < prefixes.size(); ++index)
        m_folderCounts.insert(folders.at(qsizetype(index)), counts[index]);
}
