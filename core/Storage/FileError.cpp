#include "FileError.h"

#include "ErrnoReason.h"
#include "Localization.h"

#include <QDebug>

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
    // The system's wording is English: it goes to the log, the user reads Chinese.
    qWarning().noquote() << operation << location.displayPath() << detail;
    const char *reason = commonErrnoReason(code);
    QString result = reason ? L(reason) : code != 0 ? Lf("文件操作失败（错误 %d）", code) : L("文件操作失败");
    if (!location.isEmpty())
        result += QStringLiteral("：") + location.displayPath();
    return result;
}
