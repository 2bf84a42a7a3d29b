#include "FaultInjectingFileOperations.h"

FaultInjectingFileOperations::FaultInjectingFileOperations(FileOperations &real)
    : m_real(real), m_calls(int(Operation::Status) + 1, 0)
{
}

void FaultInjectingFileOperations::failOnce(Operation operation, int code, const QByteArray &pathContains, int skip)
{
    QMutexLocker lock(&m_mutex);
    m_faults.append({operation, code, pathContains, skip});
}

int FaultInjectingFileOperations::calls(Operation operation) const
{
    QMutexLocker lock(&m_mutex);
    return m_calls.at(int(operation));
}

QList<FileLocation> FaultInjectingFileOperations::written() const
{
    QMutexLocker lock(&m_mutex);
    return m_written;
}

void FaultInjectingFileOperations::clearWritten()
{
    QMutexLocker lock(&m_mutex);
    m_written.clear();
}

std::optional<FileError> FaultInjectingFileOperations::intercept(Operation operation, const FileLocation &location)
{
    QMutexLocker lock(&m_mutex);
    ++m_calls[int(operation)];
    if (operation == Operation::WriteAtomically)
        m_written.append(location);
    for (qsizetype i = 0; i < m_faults.size(); ++i) {
        Fault &fault = m_faults[i];
        if (fault.operation != operation || !location.path().contains(fault.pathContains))
            continue;
        if (fault.skip > 0) {
            --fault.skip;
            continue;
        }
        const int code = fault.code;
        m_faults.removeAt(i);
        return FileError::fromErrno(QStringLiteral("injected"), location, code);
    }
    return std::nullopt;
}

std::expected<QByteArray, FileError> FaultInjectingFileOperations::readAll(const FileLocation &file, qint64 limit)
{
    return forward(Operation::Read, file, [&] { return m_real.readAll(file, limit); });
}

std::expected<void, FileError> FaultInjectingFileOperations::writeAtomically(const FileLocation &file,
                                                                             const QByteArray &bytes)
{
    return forward(Operation::WriteAtomically, file, [&] { return m_real.writeAtomically(file, bytes); });
}

std::expected<void, FileError> FaultInjectingFileOperations::copyFile(const FileLocation &from, const FileLocation &to)
{
    return forward(Operation::Copy, to, [&] { return m_real.copyFile(from, to); });
}

std::expected<void, FileError> FaultInjectingFileOperations::linkOrCopy(const FileLocation &from, const FileLocation &to)
{
    return forward(Operation::Copy, to, [&] { return m_real.linkOrCopy(from, to); });
}

std::expected<void, FileError> FaultInjectingFileOperations::replace(const FileLocation &from, const FileLocation &to)
{
    return forward(Operation::Replace, to, [&] { return m_real.replace(from, to); });
}

std::expected<void, FileError> FaultInjectingFileOperations::moveNoReplace(const FileLocation &from, const FileLocation &to)
{
    return forward(Operation::MoveNoReplace, to, [&] { return m_real.moveNoReplace(from, to); });
}

std::expected<void, FileError> FaultInjectingFileOperations::remove(const FileLocation &location)
{
    return forward(Operation::Remove, location, [&] { return m_real.remove(location); });
}

std::expected<void, FileError> FaultInjectingFileOperations::createDirectories(const FileLocation &folder, mode_t mode)
{
    return forward(Operation::CreateDirectories, folder, [&] { return m_real.createDirectories(folder, mode); });
}

std::expected<FileStatus, FileError> FaultInjectingFileOperations::status(const FileLocation &location)
{
    return forward(Operation::Status, location, [&] { return m_real.status(location); });
}

std::expected<FileStatus, FileError> FaultInjectingFileOperations::entryStatus(const FileLocation &location)
{
    return forward(Operation::Status, location, [&] { return m_real.entryStatus(location); });
}

std::expected<void, FileError> FaultInjectingFileOperations::removeEmptyFolder(const FileLocation &folder)
{
    return forward(Operation::Remove, folder, [&] { return m_real.removeEmptyFolder(folder); });
}

void FaultInjectingFileOperations::removeStaleTemporaries(const FileLocation &folder, const QByteArray &forName)
{
    m_real.removeStaleTemporaries(folder, forName);
}
