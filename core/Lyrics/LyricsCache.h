#pragma once

#include "Lyrics.h"

#include "Storage/FileOperations.h"

#include <QString>
#include <QUuid>

#include <expected>
#include <optional>

// Lyrics kept on disk in one folder: cache entries of online results, found by title, artist and
// rounded duration, and per-track overrides that the user imported by hand. No memory copy:
// every operation goes to disk, and every write replaces its file atomically.
class LyricsCache
{
public:
    explicit LyricsCache(FileLocation directory, FileOperations &files = FileOperations::system());

    const FileLocation &directory() const { return m_directory; }
    FileOperations &files() const { return *m_files; }

    // None for a missing, unreadable or malformed entry, and for a duration that names no entry.
    std::optional<Lyrics> load(const QString &title, const QString &artist, double duration) const;
    // Replaces the entry; fails when the duration names no entry, when a line time is not finite,
    // or when the folder or the file cannot be written (the old file then stays).
    std::expected<void, FileError> save(
        const Lyrics &lyrics, const QString &title, const QString &artist, double duration) const;

    std::optional<Lyrics> loadOverride(const QUuid &trackID) const;
    std::expected<void, FileError> saveOverride(const Lyrics &lyrics, const QUuid &trackID) const;
    // Succeeds without change when the track has no override.
    std::expected<void, FileError> removeOverride(const QUuid &trackID) const;

private:
    FileLocation overrideURL(const QUuid &trackID) const;
    std::optional<FileLocation> entryURL(const QString &title, const QString &artist, double duration) const;
    std::optional<Lyrics> read(const FileLocation &file) const;
    std::expected<void, FileError> write(const Lyrics &lyrics, const FileLocation &file) const;

    FileLocation m_directory;
    FileOperations *m_files;
};
