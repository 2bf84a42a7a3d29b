#include "FolderCoverage.h"

#include <QSet>

namespace FolderCoverage {

QList<FileLocation> ensureCovered(const FileLocation &destination, const QList<FileLocation> &folders)
{
    QList<FileLocation> result;
    QSet<QByteArray> paths;
    for (const FileLocation &folder : folders) {
        const FileLocation standardized = folder.standardized();
        if (!paths.contains(standardized.path())) {
            paths.insert(standardized.path());
            result.append(standardized);
        }
    }
    const FileLocation target = destination.standardized();
    for (const FileLocation &folder : std::as_const(result)) {
        QByteArray base = folder.path();
        if (target.path() == base)
            return result;
        if (!base.endsWith('/'))
            base.append('/');
        if (target.path().startsWith(base))
            return result;
    }
    if (!paths.contains(target.path()))
        result.append(target);
    return result;
}

} // namespace FolderCoverage
