#pragma once

#include "FileOperations.h"

// FileOperations over POSIX calls on raw path bytes.
class PosixFileOperations final : public FileOperations
{
public:
    std::expected<QByteArray, FileError> readAll(const FileLocation &file, qint64 limit) override;
    std::expected<void, FileError> writeAtomically(const FileLocation &file, const QByteArray &bytes) override;
    std::expected<void, FileError> writePartsAtomically(const FileLocation &file, const QList<QByteArray> &parts) override;
    std::expected<void, FileError> writeAtomicallyUnsynced(const FileLocation &file, const QByteArray &bytes) override;
    std::expected<void, FileError> copyFile(const FileLocation &from, const FileLocation &to) override;
    std::expected<void, FileError> linkOrCopy(const FileLocation &from, const FileLocation &to) override;
    std::expected<void, FileError> linkOrCopyUnsynced(const FileLocation &from, const FileLocation &to) override;
    std::expected<void, FileError> replace(const FileLocation &from, const FileLocation &to) override;
    std::expected<void, FileError> replaceUnsynced(const FileLocation &from, const FileLocation &to) override;
    std::expected<void, FileError> moveNoReplace(const FileLocation &from, const FileLocation &to) override;
    std::expected<void, FileError> remove(const FileLocation &location) override;
    std::expected<void, FileError> removeEmptyFolder(const FileLocation &folder) override;
    void removeStaleTemporaries(const FileLocation &folder, const QByteArray &forName) override;
    std::expected<void, FileError> createDirectories(const FileLocation &folder, mode_t mode) override;
    std::expected<FileStatus, FileError> status(const FileLocation &location) override;
    std::expected<FileStatus, FileError> entryStatus(const FileLocation &location) override;

    // Best effort: makes a rename in the folder survive a power cut.
    static void syncFolder(const FileLocation &folder);

private:
    static std::expected<void, FileError> writeThroughTemporary(const FileLocation &file, const QList<QByteArray> &parts,
                                                                bool sync);
};
