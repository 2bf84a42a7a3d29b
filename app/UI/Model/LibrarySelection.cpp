#include "LibrarySelection.h"

#include <utility>

LibrarySelection LibrarySelection::folder(const FileLocation &folder)
{
    LibrarySelection selection(Kind::Folder);
    selection.m_folder = folder;
    return selection;
}

LibrarySelection LibrarySelection::playlist(const QUuid &playlistID)
{
    LibrarySelection selection(Kind::Playlist);
    selection.m_playlistID = playlistID;
    return selection;
}

std::optional<FileLocation> LibrarySelection::folderLocation() const
{
    if (m_kind != Kind::Folder)
        return std::nullopt;
    return m_folder;
}

std::optional<QUuid> LibrarySelection::playlistID() const
{
    if (m_kind != Kind::Playlist)
        return std::nullopt;
    return m_playlistID;
}

size_t qHash(const LibrarySelection &selection, size_t seed)
{
    size_t hash = qHash(std::to_underlying(selection.kind()), seed);
    if (const auto folder = selection.folderLocation())
        hash = qHash(*folder, hash);
    if (const auto playlist = selection.playlistID())
        hash = qHash(*playlist, hash);
    return hash;
}
