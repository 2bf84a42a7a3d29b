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

    // "operation path: reason", for logs and status texts.
    QString text() const;
};
