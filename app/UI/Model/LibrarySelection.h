#pragma once

#include "Storage/FileLocation.h"

#include <QMetaType>
#include <QUuid>

#include <optional>

// What the track list shows: all music, the recently added tracks, one imported folder or one
// playlist. A plain value; equal when the case and its folder or playlist are equal.
class LibrarySelection
{
public:
    enum class Kind { AllMusic, RecentlyAdded, Folder, Playlist };

    LibrarySelection() = default;
    static LibrarySelection allMusic() { return LibrarySelection(Kind::AllMusic); }
    static LibrarySelection recentlyAdded() { return LibrarySelection(Kind::RecentlyAdded); }
    static LibrarySelection folder(const FileLocation &folder);
    static LibrarySelection playlist(const QUuid &playlistID);

    Kind kind() const { return m_kind; }
    // The folder of a folder selection, nothing otherwise.
    std::optional<FileLocation> folderLocation() const;
    // The playlist of a playlist selection, nothing otherwise.
    std::optional<QUuid> playlistID() const;
    bool isPlaylist() const { return m_kind == Kind::Playlist; }

    friend bool operator==(const LibrarySelection &, const LibrarySelection &) = default;

private:
    explicit LibrarySelection(Kind kind) : m_kind(kind) {}

    Kind m_kind = Kind::AllMusic;
    FileLocation m_folder;
    QUuid m_playlistID;
};

// The case number first, then the folder's or the playlist's own hash.
size_t qHash(const LibrarySelection &selection, size_t seed = 0);

Q_DECLARE_METATYPE(LibrarySelection)
