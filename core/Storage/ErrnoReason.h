#pragma once

#include <cerrno>

// The reasons users meet most often, in their own words (UTF-8 text-lookup keys); null for any
// other error number. Plain C++, so the tag bridge describes its failures the same way.
inline const char *commonErrnoReason(int code)
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
