#include "PosixFileOperations.h"

#include <QRandomGenerator>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using Result = std::expected<void, FileError>;

std::unexpected<FileError> failure(const char *operation, const FileLocation &location, int code)
{
    return std::unexpected(FileError::fromErrno(QString::fromLatin1(operation), location, code));
}

// Closes a descriptor when the scope ends.
class Descriptor
{
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

bool writeFully(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

// Temporary files are named "." + the target's name (at most 200 bytes, to stay within the
// 255-byte limit of a name) + "." + a random number in base 36 + ".part".
QByteArray temporaryStem(QByteArray name)
{
    if (name.size() > 200)
        name.truncate(200);
    return "." + name + ".";
}

bool isTemporaryName(const QByteArray &name, const QByteArray &forName)
{
    static const QByteArray ending = ".part";
    if (!name.startsWith('.') || !name.endsWith(ending))
        return false;
    const qsizetype numberEnd = name.size() - ending.size();
    const qsizetype numberStart = name.lastIndexOf('.', numberEnd - 1) + 1;
    if (numberStart <= 1 || numberStart == numberEnd)
        return false;
    for (qsizetype i = numberStart; i < numberEnd; ++i) {
        const char c = name.at(i);
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return forName.isEmpty() || name.left(numberStart) == temporaryStem(forName);
}

// A fresh, hidden, exclusive temporary file beside `target`.
std::expected<std::pair<FileLocation, int>, FileError> createTemporaryBeside(const FileLocation &target)
{
    const FileLocation folder = target.deletingLastPathComponent();
    const QByteArray stem = temporaryStem(target.fileName());
    for (int attempt = 0; attempt < 100; ++attempt) {
        const QByteArray suffix = QByteArray::number(QRandomGenerator::global()->generate64(), 36);
        const FileLocation temporary = folder.appending(stem + suffix + ".part");
        const int fd = ::open(temporary.cPath(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            return std::pair{temporary, fd};
        if (errno != EEXIST)
            return failure("create", temporary, errno);
    }
    return failure("create", target, EEXIST);
}

Result copyContents(int from, int to, const FileLocation &source)
{
    for (;;) {
        const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (copied == 0)
            return {};
        if (copied > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return failure("copy", source, errno);
        break; // fall back to read and write
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = ::read(from, buffer, sizeof buffer);
        if (got == 0)
            return {};
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return failure("read", source, errno);
        }
        if (!writeFully(to, buffer, got))
            return failure("copy", source, errno);
    }
}

// Links the finished temporary file to its name without replacing anything, then drops the
// temporary name.
Result linkIntoPlace(const FileLocation &temporary, const FileLocation &target)
{
    if (::link(temporary.cPath(), target.cPath()) == 0) {
        ::unlink(temporary.cPath());
        return {};
    }
    const int linkError = errno;
    if (linkError == EEXIST)
        return failure("copy", target, EEXIST);
    // Some file systems have no hard links; an exclusive rename does the same.
    if (::renameat2(AT_FDCWD, temporary.cPath(), AT_FDCWD, target.cPath(), RENAME_NOREPLACE) == 0)
        return {};
    return failure("copy", target, errno == EINVAL || errno == ENOSYS ? linkError : errno);
}

} // namespace

FileOperations &FileOperations::system()
{
    static PosixFileOperations operations;
    return operations;
}

void PosixFileOperations::syncFolder(const FileLocation &folder)
{
    const int fd = ::open(folder.cPath(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

std::expected<QByteArray, FileError> PosixFileOperations::readAll(const FileLocation &file, qint64 limit)
{
    Descriptor fd(::open(file.cPath(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0)
        return failure("read", file, errno);
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0)
        return failure("read", file, errno);
    if (S_ISDIR(info.st_mode))
        return failure("read", file, EISDIR);
    if (!S_ISREG(info.st_mode))
        return failure("read", file, EINVAL);
    if (limit >= 0 && info.st_size > limit)
        return failure("read", file, EFBIG);

    // Read straight into the array, with spare room at its end: a JSON parser reads a little past
    // the text, and takes a library file over without copying it.
    constexpr qsizetype spare = 64;
    QByteArray bytes(qsizetype(info.st_size) + spare, Qt::Uninitialized);
    qsizetype size = 0;
    for (;;) {
        if (size == bytes.size()) // the file has grown since it was measured
            bytes.resize(bytes.size() * 2);
        const ssize_t got = ::read(fd.get(), bytes.data() + size, size_t(bytes.size() - size));
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return failure("read", file, errno);
        }
        size += got;
        if (limit >= 0 && size > limit)
            return failure("read", file, EFBIG);
    }
    bytes.truncate(size);
    return bytes;
}

std::expected<void, FileError> PosixFileOperations::writeAtomically(const FileLocation &file, const QByteArray &bytes)
{
    return writeThroughTemporary(file, {bytes}, true);
}

std::expected<void, FileError> PosixFileOperations::writePartsAtomically(const FileLocation &file,
                                                                         const QList<QByteArray> &parts)
{
    return writeThroughTemporary(file, parts, true);
}

std::expected<void, FileError> PosixFileOperations::writeAtomicallyUnsynced(const FileLocation &file,
                                                                            const QByteArray &bytes)
{
    return writeThroughTemporary(file, {bytes}, false);
}

std::expected<void, FileError> PosixFileOperations::writeThroughTemporary(const FileLocation &file,
                                                                          const QList<QByteArray> &parts, bool sync)
{
    auto created = createTemporaryBeside(file);
    if (!created)
        return std::unexpected(created.error());
    const auto [temporary, rawFd] = *created;
    Descriptor fd(rawFd);
    auto discard = [&](int code) {
        ::unlink(temporary.cPath());
        return failure("write", file, code);
    };
    for (const QByteArray &part : parts) {
        if (!writeFully(fd.get(), part.constData(), part.size()))
            return discard(errno);
    }
    if (::fchmod(fd.get(), 0644) != 0 || (sync && ::fdatasync(fd.get()) != 0))
        return discard(errno);
    if (::close(fd.release()) != 0)
        return discard(errno);
    if (::rename(temporary.cPath(), file.cPath()) != 0)
        return discard(errno);
    if (sync)
        syncFolder(file.deletingLastPathComponent());
    return {};
}

std::expected<void, FileError> PosixFileOperations::copyFile(const FileLocation &from, const FileLocation &to)
{
    Descriptor source(::open(from.cPath(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (source.get() < 0)
        return failure("copy", from, errno);
    struct stat info {};
    if (::fstat(source.get(), &info) != 0)
        return failure("copy", from, errno);
    if (!S_ISREG(info.st_mode))
        return failure("copy", from, S_ISDIR(info.st_mode) ? EISDIR : EINVAL);
    if (::access(to.cPath(), F_OK) == 0)
        return failure("copy", to, EEXIST);

    auto created = createTemporaryBeside(to);
    if (!created)
        return std::unexpected(created.error());
    const auto [temporary, rawFd] = *created;
    Descriptor target(rawFd);
    auto discard = [&](FileError error) {
        ::unlink(temporary.cPath());
        return std::unexpected(std::move(error));
    };
    if (auto copied = copyContents(source.get(), target.get(), from); !copied)
        return discard(copied.error());
    const struct timespec times[2] = {info.st_atim, info.st_mtim};
    if (::fchmod(target.get(), info.st_mode & 07777) != 0 || ::futimens(target.get(), times) != 0
        || ::fdatasync(target.get()) != 0 || ::close(target.release()) != 0)
        return discard(FileError::fromErrno(QStringLiteral("copy"), to, errno));
    if (auto linked = linkIntoPlace(temporary, to); !linked)
        return discard(linked.error());
    syncFolder(to.deletingLastPathComponent());
    return {};
}

std::expected<void, FileError> PosixFileOperations::linkOrCopy(const FileLocation &from, const FileLocation &to)
{
    if (::link(from.cPath(), to.cPath()) == 0) {
        syncFolder(to.deletingLastPathComponent());
        return {};
    }
    if (errno == EEXIST || errno == ENOENT)
        return failure("link", to, errno);
    return copyFile(from, to); // no hard links here
}

std::expected<void, FileError> PosixFileOperations::linkOrCopyUnsynced(const FileLocation &from, const FileLocation &to)
{
    if (::link(from.cPath(), to.cPath()) == 0)
        return {};
    if (errno == EEXIST || errno == ENOENT)
        return failure("link", to, errno);
    return copyFile(from, to); // no hard links here
}

std::expected<void, FileError> PosixFileOperations::replace(const FileLocation &from, const FileLocation &to)
{
    if (::rename(from.cPath(), to.cPath()) != 0)
        return failure("rename", from, errno);
    syncFolder(to.deletingLastPathComponent());
    return {};
}

std::expected<void, FileError> PosixFileOperations::replaceUnsynced(const FileLocation &from, const FileLocation &to)
{
    if (::rename(from.cPath(), to.cPath()) != 0)
        return failure("rename", from, errno);
    return {};
}

std::expected<void, FileError> PosixFileOperations::moveNoReplace(const FileLocation &from, const FileLocation &to)
{
    if (::renameat2(AT_FDCWD, from.cPath(), AT_FDCWD, to.cPath(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS)
            return failure("move", from, errno);
        // The file system has no exclusive rename: link (which never replaces), then unlink.
        if (::link(from.cPath(), to.cPath()) != 0)
            return failure("move", from, errno);
        if (::unlink(from.cPath()) != 0) {
            const int code = errno;
            ::unlink(to.cPath());
            return failure("move", from, code);
        }
    }
    syncFolder(to.deletingLastPathComponent());
    if (from.deletingLastPathComponent() != to.deletingLastPathComponent())
        syncFolder(from.deletingLastPathComponent());
    return {};
}

std::expected<void, FileError> PosixFileOperations::remove(const FileLocation &location)
{
    struct stat info {};
    if (::lstat(location.cPath(), &info) != 0)
        return failure("remove", location, errno);
    if (!S_ISDIR(info.st_mode)) {
        if (::unlink(location.cPath()) != 0)
            return failure("remove", location, errno);
        return {};
    }
    std::error_code error;
    std::filesystem::remove_all(std::filesystem::path(location.path().toStdString()), error);
    if (error)
        return failure("remove", location, error.value());
    return {};
}

std::expected<void, FileError> PosixFileOperations::removeEmptyFolder(const FileLocation &folder)
{
    if (::rmdir(folder.cPath()) != 0)
        return failure("rmdir", folder, errno);
    return {};
}

void PosixFileOperations::removeStaleTemporaries(const FileLocation &folder, const QByteArray &forName)
{
    DIR *listing = ::opendir(folder.cPath());
    if (!listing)
        return;
    QList<QByteArray> stale;
    while (const dirent *entry = ::readdir(listing)) {
        const QByteArray name(entry->d_name);
        if (isTemporaryName(name, forName))
            stale.append(name);
    }
    ::closedir(listing);
    for (const QByteArray &name : std::as_const(stale)) {
        struct stat info {};
        const FileLocation file = folder.appending(name);
        if (::lstat(file.cPath(), &info) == 0 && S_ISREG(info.st_mode))
            ::unlink(file.cPath());
    }
}

std::expected<void, FileError> PosixFileOperations::createDirectories(const FileLocation &folder, mode_t mode)
{
    const QByteArray path = folder.standardized().path();
    qsizetype position = path.startsWith('/') ? 1 : 0;
    while (position <= path.size()) {
        qsizetype slash = path.indexOf('/', position);
        if (slash < 0)
            slash = path.size();
        const FileLocation prefix = FileLocation::fromPath(path.left(slash));
        if (::mkdir(prefix.cPath(), mode) != 0) {
            const int code = errno;
            struct stat info {};
            if (code != EEXIST || ::stat(prefix.cPath(), &info) != 0)
                return failure("mkdir", prefix, code);
            if (!S_ISDIR(info.st_mode))
                return failure("mkdir", prefix, ENOTDIR);
        }
        position = slash + 1;
    }
    return {};
}

FileStatus FileStatus::of(const struct stat &info)
{
    FileStatus status;
    status.isDirectory = S_ISDIR(info.st_mode);
    status.isRegularFile = S_ISREG(info.st_mode);
    status.size = info.st_size;
    status.modified = info.st_mtim;
    status.device = info.st_dev;
    status.inode = info.st_ino;
    status.mode = info.st_mode;
    return status;
}

std::expected<FileStatus, FileError> PosixFileOperations::status(const FileLocation &location)
{
    struct stat info {};
    if (location.isEmpty() || ::stat(location.cPath(), &info) != 0)
        return failure("stat", location, location.isEmpty() ? ENOENT : errno);
    return FileStatus::of(info);
}

std::expected<FileStatus, FileError> PosixFileOperations::entryStatus(const FileLocation &location)
{
    struct stat info {};
    if (location.isEmpty() || ::lstat(location.cPath(), &info) != 0)
        return failure("lstat", location, location.isEmpty() ? ENOENT : errno);
    return FileStatus::of(info);
}
