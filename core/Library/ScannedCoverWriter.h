#pragma once

#include "Storage/FileError.h"
#include "Storage/FileLocation.h"
#include "Storage/FileOperations.h"

#include <QByteArray>
#include <QHash>
#include <QMutex>
#include <QString>
#include <QUuid>

#include <optional>

// Writes the covers a scan reads, each to a file of its own, from the threads that read them;
// safe to call from many threads at once. A new track's cover gets its final name at once, the
// others a temporary one until the merge knows their track. The tracks of an album mostly
// carry the same picture: a cover whose bytes were written already gets a second name for the
// same file, not a second copy. Cover files are only ever replaced by a rename, never written in
// place, so the names part when one of them changes later.
class ScannedCoverWriter
{
public:
    ScannedCoverWriter(const FileLocation &folder, FileOperations &files);

    // The name of a track's cover file in the covers folder.
    static QString nameFor(const QUuid &trackID);

    // The file holding the bytes, under `name` or else a temporary name, or nothing when it could
    // not be written (see firstError()).
    std::optional<FileLocation> write(const QByteArray &cover, const QString &name = {});
    std::optional<FileError> firstError() const;

private:
    // Found by size and a hash with a random seed; equal keys are confirmed by the bytes on disk,
    // which is far cheaper than a cryptographic digest of every cover.
    struct ContentKey
    {
        qsizetype size = 0;
        size_t hash = 0;
        friend bool operator==(const ContentKey &, const ContentKey &) = default;
        friend size_t qHash(const ContentKey &key, size_t seed = 0) { return qHashMulti(seed, key.size, key.hash); }
    };

    bool prepareFolder();
    std::optional<FileLocation> fail(const FileError &error);
    std::optional<FileLocation> writtenWithSameBytes(const ContentKey &key, const QByteArray &cover);

    FileLocation m_folder;
    FileOperations &m_files;
    const size_t m_seed;
    mutable QMutex m_lock; // the fields below
    bool m_folderReady = false;
    QHash<ContentKey, FileLocation> m_written;
    std::optional<FileError> m_error;
    // One writer at a time: files made at once in one folder contend for its lock and the file
    // system's inode allocation, and the other threads go on reading meanwhile.
    QMutex m_writing;
};
