#include "SidebarCounts.h"

#include "LibraryBrowser.h"

#include <string_view>
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

// One pass over the tracks. A track lies below a folder when its path continues the folder's
// prefix, so only the path's slashes at the prefixes' lengths need a look-up. Those slashes are
// all in the track's parent folder, and the tracks of one folder usually stand together: a track
// in the folder of the one before lies in the same library folders.
void SidebarCounts::countFolders(const QList<Track> &tracks, const QList<FileLocation> &folders)
{
    std::vector<QByteArray> prefixes;
    for (const FileLocation &folder : folders)
        prefixes.push_back(LibraryBrowser::folderPrefix(folder));
    QHash<QByteArrayView, size_t> folderOfPrefix;
    std::vector<qsizetype> lengths;
    for (size_t index = 0; index < prefixes.size(); ++index) {
        folderOfPrefix.insert(prefixes[index], index);
        if (std::ranges::find(lengths, prefixes[index].size()) == lengths.end())
            lengths.push_back(prefixes[index].size());
    }
    const auto foldersOf = [&](QByteArrayView path, std::vector<size_t> &found) {
        found.clear();
        for (qsizetype length : lengths) {
            if (path.size() <= length || path.at(length - 1) != '/')
                continue;
            if (const auto folder = folderOfPrefix.constFind(path.first(length)); folder != folderOfPrefix.cend())
                found.push_back(*folder);
        }
    };

    std::vector<int> counts(prefixes.size(), 0);
    std::string_view parent;
    std::vector<size_t> parentFolders;
    std::vector<size_t> ownFolders;
    for (QByteArrayView path : m_paths->of(tracks, m_tracksRevision)) {
        const std::string_view text(path.data(), size_t(path.size()));
        const size_t slash = text.rfind('/');
        const bool named = slash != std::string_view::npos && slash + 1 < text.size();
        const std::vector<size_t> *inside = &parentFolders;
        if (!named) {
            foldersOf(path, ownFolders);
            inside = &ownFolders;
        } else if (parent.data() == nullptr || text.substr(0, slash + 1) != parent) {
            parent = text.substr(0, slash + 1);
            foldersOf(path, parentFolders);
        }
        for (size_t folder : *inside)
            ++counts[folder];
    }
    for (size_t index = 0; index < prefixes.size(); ++index)
        m_folderCounts.insert(folders.at(qsizetype(index)), counts[index]);
}
