#pragma once

#include "Storage/FileOperations.h"

#include <QList>
#include <QMutex>

// Real file operations, except those told to fail: the n-th call of an operation (optionally only
// on paths containing some bytes) fails with the given errno, once.
class FaultInjectingFileOperations final : public FileOperations
{
public:
    explicit FaultInjectingFileOperations(FileOperations &real = FileOperations::system());

    // Fails the `skip`+1-th matching call of `operation` with `code`.
    void failOnce(Operation operation, int code, const QByteArray &pathContains = {}, int skip = 0);
    // Counts the calls of `operation` made so far.
    int calls(Operation operation) const;
    // The files written through writeAtomically so far, in order (failed writes included).
    QList<FileLocation> written() const;
    void clearWritten();

    std::expected<QByteArray, FileError> readAll(const FileLocation &file, qint64 limit) override;
    std::expected<void, FileError> writeAtomically(const FileLocation &file, const QByteArray &bytes) override;
    std::expected<void, FileError> copyFile(const FileLocation &from, const FileLocation &to) override;
    // Fails as a Copy.
    std::expected<void, FileError> linkOrCopy(const FileLocation &from, const FileLocation &to) override;
    std::expected<void, FileError> replace(const FileLocation &from, const FileLocation &to) override;
    std::expected<void, FileError> moveNoReplace(const FileLocation &from, const FileLocation &to) override;
    std::expected<void, FileError> remove(const FileLocation &location) override;
    // Fails as a Remove.
    std::expected<void, FileError> removeEmptyFolder(const FileLocation &folder) override;
    void removeStaleTemporaries(const FileLocation &folder, const QByteArray &forName) override;
    std::expected<void, FileError> createDirectories(const FileLocation &folder, mode_t mode) override;
    std::expected<FileStatus, FileError> status(const FileLocation &location) override;
    // Fails as a Status.
    std::expected<FileStatus, FileError> entryStatus(const FileLocation &location) override;

private:
    struct Fault
    {
        Operation operation;
        int code;
        QByteArray pathContains;
        int skip;
    };

    // The injected error for this call, if any.
    std::optional<FileError> intercept(Operation operation, const FileLocation &location);
    // Fails the call when a fault is due, else makes it on the real operations.
    template <typename Call>
    auto forward(Operation operation, const FileLocation &location, Call call) -> decltype(call())
    {
        if (auto fault = intercept(operation, location))
            return std::unexpected(*fault);
        return call();
    }

    FileOperations &m_real;
    mutable QMutex m_mutex;
    QList<Fault> m_faults;
    QList<int> m_calls;
    QList<FileLocation> m_written;
};
