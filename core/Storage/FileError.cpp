#include "FileError.h"

#include "Localization.h"

#include <cerrno>
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

namespace {

// The reasons users meet most often, in their own words; other errors keep the system's text.
const char *commonReason(int code)
{
    switch (code) {
    case ENOENT:
        return "文件或文件夹不存在";
    case EACCES:
    case EPERM:
        return "没有访问权限";
    case ENOSPC:
    case EDQUOT:
        return "磁盘空间不足";
    case EROFS:
        return "文件系统是只读的";
    case EEXIST:
        return "文件已存在";
    case EXDEV:
        return "不能跨文件系统移动";
    case EIO:
        return "磁盘读写出错";
    case ENAMETOOLONG:
        return "文件名太长";
    default:
        return nullptr;
    }
}

} // namespace

QString FileError::text() const
{
    if (const char *reason = commonReason(code)) {
        QString result = L(reason);
        if (!location.isEmpty())
            result += QStringLiteral("：") + location.displayPath();
        return result;
    }
    QString result = operation;
    if (!location.isEmpty())
        result += QLatin1Char(' ') + location.displayPath();
    if (!detail.isEmpty())
        result += QStringLiteral(": ") + detail;
    return result;
}
