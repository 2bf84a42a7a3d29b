#include "FaultInjectingFileOperations.h"

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
        if (fault.operation != operation || !location.path().contains(fault.pathContains) || fault.skip-- > 0)
            continue;
        const int code = fault.code;
        m_faults.removeAt(i);
        return FileError::fromErrno(QStringLiteral("injected"), location, code);
    }
    return std::nullopt;
}
