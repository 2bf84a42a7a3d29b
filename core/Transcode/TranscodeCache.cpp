#include "TranscodeCache.h"

#include "Storage/FileTime.h"

#include <QCryptographicHash>

#include <cmath>
#include <filesystem>

namespace TranscodeCache {

QString key(const FileLocation &url, qint64 fileSize, double modifiedAt, int version)
{
    const double unixSeconds = modifiedAt + double(FileTime::referenceEpochOffset);
    const qint64 milliseconds = std::llround(unixSeconds * 1000.0);
    QByteArray text = url.standardized().path();
    text += '|' + QByteArray::number(fileSize) + '|' + QByteArray::number(milliseconds) + '|'
        + QByteArray::number(version);
    const QByteArray digest = QCryptographicHash::hash(text, QCryptographicHash::Sha256);
    return QString::fromLatin1(digest.left(16).toHex());
}

FileLocation cacheURL(const Track &track, const FileLocation &root)
{
    return root.appending(key(track.url, track.fileSize, track.modifiedAt, version)
                          + QStringLiteral(".m4a"));
}

qint64 directorySize(const FileLocation &root)
{
    namespace fs = std::filesystem;
    std::error_code error;
    fs::recursive_directory_iterator items(fs::path(root.path().toStdString()),
                                           fs::directory_options::skip_permission_denied, error);
    if (error)
        return 0;
    qint64 total = 0;
    for (const fs::recursive_directory_iterator end; items != end; items.increment(error)) {
        if (error)
            break;
        if (items->path().filename().native().starts_with('.')) {
            items.disable_recursion_pending();
            continue;
        }
        const fs::file_status status = items->symlink_status(error);
        if (error || !fs::is_regular_file(status))
            continue;
        const auto size = items->file_size(error);
        total += error ? 0 : qint64(size);
    }
    return total;
}

} // namespace TranscodeCache
