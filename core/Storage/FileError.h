#pragma once

#include "FileLocation.h"

#include <QString>

// A failed file operation: what was attempted, on which path, and the system's error number
// (0 when the failure has no errno, such as a value that does not encode).
struct FileError
{
    QString operation;
    FileLocation location;
    int code = 0;
    QString detail;

    static FileError fromErrno(const QString &operation, const FileLocation &location, int code);
    static FileError withDetail(const QString &operation, const FileLocation &location,
                                const QString &detail);

    // For the user: the common errors described through the text lookup with the path ("文件或文件夹不存在：/a.flac"),
    // any other by its number. The system's own wording in `detail` goes to the log.
    QString text() const;
};
