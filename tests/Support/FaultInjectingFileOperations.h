#pragma once

#include "Storage/FileOperations.h"

#include <QList>
#include <QMutex>

// Real file operations, except those told to fail: the n-th call of an operation (optionally only
// on paths containing some bytes) fails with the given errno, once.
class FaultInjectingFileOperations final : public FileOperations
{
public:
    explicit FaultInjectingFileOperations(FileOperations &real = FileOperations::system()) : m_real(real) {}

    // Fails the `skip`+1-th matching call of `operation` with `code`.
    void failOnce(Operation operation, int code, const QByteArray &pathContains = {}, int skip = 0)
    {
        QMutexLocker lock(&m_mutex);
        m_faults.append({operation, code, pathContains, skip});
    }
    // Counts the calls of `operation` made so far.
    int calls(Operation operation) const
    {
        QMutexLocker lock(&m_mutex);
        return m_calls.at(int(operation));
    }
    // The files written through writeAtomically so far, in order (failed writes included).
    QList<FileLocation> written() const
    {
        QMutexLocker lock(&m_mutex);
        return m_written;
    }
    void clearWritten()
    {
        QMutexLocker lock(&m_mutex);
        m_written.clear();
    }

    using Done = std::expected<void, FileError>;
    std::expected<QByteArray, FileError> readAll(const FileLocation &file, qint64 limit) override
    {
        return forward(Operation::Read, file, [&] { return m_real.readAll(file, limit); });
    }
    Done writeAtomically(const FileLocation &file, const QByteArray &bytes) override
    {
        return forward(Operation::WriteAtomically, file, [&] { return m_real.writeAtomically(file, bytes); });
    }
    Done copyFile(const FileLocation &from, const FileLocation &to) override
    {
        return forward(Operation::Copy, to, [&] { return m_real.copyFile(from, to); });
    }
    // Fails as a Copy.
    Done linkOrCopy(const FileLocation &from, const FileLocation &to) override
    {
        return forward(Operation::Copy, to, [&] { return m_real.linkOrCopy(from, to); });
    }
    Done replace(const FileLocation &from, const FileLocation &to) override
    {
        return forward(Operation::Replace, to, [&] { return m_real.replace(from, to); });
    }
    Done moveNoReplace(const FileLocation &from, const FileLocation &to) override
    {
        return forward(Operation::MoveNoReplace, to, [&] { return m_real.moveNoReplace(from, to); });
    }
    Done remove(const FileLocation &location) override
    {
        return forward(Operation::Remove, location, [&] { return m_real.remove(location); });
    }
    // Fails as a Remove.
    Done removeEmptyFolder(const FileLocation &folder) override
    {
        return forward(Operation::Remove, folder, [&] { return m_real.removeEmptyFolder(folder); });
    }
    void removeStaleTemporaries(const FileLocation &folder, const QByteArray &forName) override
    {
        m_real.removeStaleTemporaries(folder, forName);
    }
    Done createDirectories(const FileLocation &folder, mode_t mode) override
    {
        return forward(Operation::CreateDirectories, folder, [&] { return m_real.createDirectories(folder, mode); });
    }
    std::expected<FileStatus, FileError> status(const FileLocation &location) override
    {
        return forward(Operation::Status, location, [&] { return m_real.status(location); });
    }
    // Fails as a Status.
    std::expected<FileStatus, FileError> entryStatus(const FileLocation &location) override
    {
        return forward(Operation::Status, location, [&] { return m_real.entryStatus(location); });
    }

private:
    struct Fault
    {
        Operation operation;
        int code;
        QByteArray pathContains;
        int skip;
    };

    std::optional<FileError> intercept(Operation operation, const FileLocation &location);
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
    QList<int> m_calls = QList<int>(int(Operation::Status) + 1, 0);
    QList<FileLocation> m_written;
};
