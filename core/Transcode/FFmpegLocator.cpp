#include "FFmpegLocator.h"

#include <sys/stat.h>
#include <unistd.h>

namespace FFmpegLocator {

// A folder may carry the executable bit too; only a regular file counts. A relative path would
// depend on the working folder of the moment.
bool isExecutableFile(const FileLocation &location)
{
    if (!location.path().startsWith('/'))
        return false;
    struct stat info {};
    return ::stat(location.cPath(), &info) == 0 && S_ISREG(info.st_mode)
        && ::access(location.cPath(), X_OK) == 0;
}

namespace {

// The absolute folders of the environment's PATH, in order; relative entries such as "." are
// skipped so that the working folder never supplies an executable.
QStringList searchDirectories(const QProcessEnvironment &environment)
{
    const QString path = environment.contains(QStringLiteral("PATH"))
        ? environment.value(QStringLiteral("PATH"))
        : QStringLiteral("/usr/bin:/bin:/usr/sbin:/sbin");
    QStringList directories;
    for (const QString &directory : path.split(u':', Qt::SkipEmptyParts)) {
        if (directory.startsWith(u'/'))
            directories.append(directory);
    }
    return directories;
}

std::optional<FileLocation> findExecutable(const QString &name, const QStringList &directories)
{
    for (const QString &directory : directories) {
        const FileLocation candidate = FileLocation::fromLocalFile(directory + u'/' + name);
        if (isExecutableFile(candidate))
            return candidate.standardized();
    }
    return std::nullopt;
}

} // namespace

const QStringList &defaultFixedDirectories()
{
    static const QStringList directories{QStringLiteral("/usr/local/bin"), QStringLiteral("/opt/homebrew/bin")};
    return directories;
}

std::optional<FileLocation> find(const std::optional<QString> &customPath,
                                 const QProcessEnvironment &environment,
                                 const QStringList &fixedDirectories)
{
    if (customPath) {
        const QString trimmed = customPath->trimmed();
        const FileLocation custom = FileLocation::fromLocalFile(trimmed);
        if (!trimmed.isEmpty() && isExecutableFile(custom))
            return custom.standardized();
    }
    return findExecutable(QStringLiteral("ffmpeg"), fixedDirectories + searchDirectories(environment));
}

std::optional<FileLocation> ffprobe(const FileLocation &ffmpeg, const QProcessEnvironment &environment,
                                    const QStringList &fixedDirectories)
{
    const FileLocation sibling = ffmpeg.deletingLastPathComponent().appending(QStringLiteral("ffprobe"));
    if (isExecutableFile(sibling))
        return sibling.standardized();
    return findExecutable(QStringLiteral("ffprobe"), fixedDirectories + searchDirectories(environment));
}

} // namespace FFmpegLocator
