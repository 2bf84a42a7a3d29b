#pragma once

#include "FileError.h"
#include "FileLocation.h"

#include <QByteArray>
#include <QList>

#include <expected>
#include <sys/stat.h>
#include <sys/types.h>
#include <ctime>

// What stat(2) tells about a file (lstat(2) for entryStatus).
struct FileStatus
{
    bool isDirectory = false;
    bool isRegularFile = false;
    qint64 size = 0;
    struct timespec modified {};
    dev_t device = 0;
    ino_t inode = 0;
    mode_t mode = 0;

    static FileStatus of(const struct stat &info);
};

// The file work of the stores and services goes through this seam, so tests can make any single
// operation fail (CI runs as root, where permissions cannot make a failure).
class FileOperations
{
public:
    enum class Operation { Read, WriteAtomically, Copy, Replace, MoveNoReplace, Remove, CreateDirectories, Status };

    virtual ~FileOperations() = default;

    // The real file system; shared, stateless and thread-safe.
    static FileOperations &system();

    // The whole file; fails with EFBIG when it is larger than `limit` bytes (negative: no limit)
    // and with EISDIR or EINVAL when it is not a regular file. Never blocks on a FIFO.
    virtual std::expected<QByteArray, FileError> readAll(const FileLocation &file, qint64 limit = -1) = 0;
    // The bytes reach the name complete or not at all (temporary file, flush, rename, folder flush).
    virtual std::expected<void, FileError> writeAtomically(const FileLocation &file, const QByteArray &bytes) = 0;
    // The same for content in parts, written one after the other (a large document encoded in
    // pieces need not be joined first).
    virtual std::expected<void, FileError> writePartsAtomically(const FileLocation &file, const QList<QByteArray> &parts)
    {
        qsizetype size = 0;
        for (const QByteArray &part : parts)
            size += part.size();
        QByteArray bytes;
        bytes.reserve(size);
        for (const QByteArray &part : parts)
            bytes.append(part);
        return writeAtomically(file, bytes);
    }
    // The same, without flushing to disk: for files that can be made again (cover images), where
    // a flush per file would make a large import crawl.
    virtual std::expected<void, FileError> writeAtomicallyUnsynced(const FileLocation &file, const QByteArray &bytes)
    {
        return writeAtomically(file, bytes);
    }
    // Copies a regular file; fails with EEXIST rather than overwrite. The copy appears under its
    // name only when complete and keeps the source's mode and modification time.
    virtual std::expected<void, FileError> copyFile(const FileLocation &from, const FileLocation &to) = 0;
    // Keeps the file's current content under a second name without copying it: a hard link where
    // the file system has them, else a copy. Never overwrites. Only for files that are always
    // replaced by a rename and never written in place, so the two names part at the next save.
    virtual std::expected<void, FileError> linkOrCopy(const FileLocation &from, const FileLocation &to)
    {
        return copyFile(from, to);
    }
    // The same, without flushing the folder: for files that can be made again (cover images).
    virtual std::expected<void, FileError> linkOrCopyUnsynced(const FileLocation &from, const FileLocation &to)
    {
        return linkOrCopy(from, to);
    }
    // Renames `from` over `to` in one step, replacing what was there.
    virtual std::expected<void, FileError> replace(const FileLocation &from, const FileLocation &to) = 0;
    // The same, without flushing the folder: for files that can be made again (cover images).
    virtual std::expected<void, FileError> replaceUnsynced(const FileLocation &from, const FileLocation &to)
    {
        return replace(from, to);
    }
    // Renames without ever replacing an existing `to` (EEXIST); EXDEV across file systems.
    virtual std::expected<void, FileError> moveNoReplace(const FileLocation &from, const FileLocation &to) = 0;
    // Removes a file, a link or a whole folder.
    virtual std::expected<void, FileError> remove(const FileLocation &location) = 0;
    // Removes a folder only while it is empty (ENOTEMPTY otherwise).
    virtual std::expected<void, FileError> removeEmptyFolder(const FileLocation &folder) = 0;
    // Removes the hidden temporary files that writes and copies into `folder` leave behind when the
    // process dies half-way: all of them, or only those made for the name `forName`. Best effort.
    virtual void removeStaleTemporaries(const FileLocation &folder, const QByteArray &forName = {}) = 0;
    // Creates the folder and its missing parents with the given mode; an existing folder is fine.
    virtual std::expected<void, FileError> createDirectories(const FileLocation &folder, mode_t mode = 0755) = 0;
    // stat(2); fails with ENOENT when nothing is there.
    virtual std::expected<FileStatus, FileError> status(const FileLocation &location) = 0;

    // lstat(2): the entry itself, a link not followed; fails with ENOENT when nothing is there.
    virtual std::expected<FileStatus, FileError> entryStatus(const FileLocation &location) = 0;

    bool exists(const FileLocation &location) { return status(location).has_value(); }
    // Anything at the name, a dangling link included.
    bool entryExists(const FileLocation &location) { return entryStatus(location).has_value(); }
};
