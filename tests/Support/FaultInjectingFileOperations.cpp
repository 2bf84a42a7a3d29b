#include "FaultInjectingFileOperations.h"

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
