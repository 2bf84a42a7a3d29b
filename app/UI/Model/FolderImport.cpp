#include "FolderImport.h"

#include <QSet>

namespace FolderImport {

QList<FileLocation> folders(const QList<FileLocation> &items, FileOperations &files)
{
    QList<FileLocation> result;
    QSet<FileLocation> seen;
    for (const FileLocation &item : items) {
        const auto status = files.status(item);
        const FileLocation folder =
            (status && status->isDirectory ? item : item.standardized().deletingLastPathComponent()).standardized();
        if (!folder.isEmpty() && !seen.contains(folder)) {
            seen.insert(folder);
            result.append(folder);
        }
    }
    return result;
}

} // namespace FolderImport
