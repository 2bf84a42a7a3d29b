#include "TranscodeCache.h"

#include "Storage/FileTime.h"

#include <QCryptographicHash>

#include <cmath>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

namespace {

// The regular files below an open folder, which it closes. Walked relative to each folder's
// descriptor, so depth never makes a path too long; an item that cannot be examined or opened is
// passed over and the walk goes on.
qint64 sizeBelow(int folder)
{
    DIR *listing = ::fdopendir(folder);
    if (!listing) {
        ::close(folder);
        return 0;
    }
    qint64 total = 0;
    while (const dirent *entry = ::readdir(listing)) {
        if (entry->d_name[0] == '.')
            continue;
        struct stat status{};
        if (::fstatat(::dirfd(listing), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0)
            continue;
        if (S_ISREG(status.st_mode)) {
            total += status.st_size;
        } else if (S_ISDIR(status.st_mode)) {
            const int child = ::openat(::dirfd(listing), entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child >= 0)
                total += sizeBelow(child);
        }
    }
    ::closedir(listing);
    return total;
}

} // namespace

qint64 directorySize(const FileLocation &root)
{
    const int folder = ::open(root.cPath(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return folder < 0 ? 0 : sizeBelow(folder);
}

} // namespace TranscodeCache
