#include "FileError.h"

#include <cstring>

FileError FileError::fromErrno(const QString &operation, const FileLocation &location, int code)
{
    return FileError{operation, location, code, QString::fromLocal8Bit(std::strerror(code))};
}

FileError FileError::withDetail(const QString &operation, const FileLocation &location,
                                const QString &detail)
{
    return FileError{operation, location, 0, detail};
}

QString FileError::text() const
{
    QString result = operation;
    if (!location.isEmpty())
        result += QLatin1Char(' ') + location.displayPath();
    if (!detail.isEmpty())
        result += QStringLiteral(": ") + detail;
    return result;
}
