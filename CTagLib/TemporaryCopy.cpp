#include "TemporaryCopy.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

std::error_code lastError()
{
    return {errno, std::generic_category()};
}

// Closes a descriptor when it goes out of scope.
struct Descriptor
{
    int value;
    ~Descriptor()
    {
        if (value >= 0)
            ::close(value);
    }
};

bool writeAll(int descriptor, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(descriptor, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= size_t(written);
    }
    return true;
}

bool copyByReading(int source, int destination)
{
    static constexpr size_t bufferSize = 256 * 1024;
    const std::unique_ptr<char[]> buffer(new char[bufferSize]);
    while (true) {
        const ssize_t count = ::read(source, buffer.get(), bufferSize);
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        if (!writeAll(destination, buffer.get(), size_t(count)))
            return false;
    }
}

// In-kernel copy (shared extents where the file system offers them), else read and write.
bool copyContents(int source, int destination)
{
    bool copiedAny = false;
    while (true) {
        const ssize_t count = ::copy_file_range(source, nullptr, destination, nullptr, 1 << 30, 0);
        if (count > 0) {
            copiedAny = true;
            continue;
        }
        if (count == 0)
            return true;
        if (errno == EINTR)
            continue;
        const bool unsupported = errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP;
        if (copiedAny || !unsupported)
            return false;
        return copyByReading(source, destination);
    }
}

std::string folderOf(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

TemporaryCopy::TemporaryCopy(std::string target, std::string path, int descriptor)
    : m_target(std::move(target)), m_path(std::move(path)), m_descriptor(descriptor)
{
}

TemporaryCopy::~TemporaryCopy()
{
    ::close(m_descriptor);
    if (!m_replaced)
        ::unlink(m_path.c_str());
}

std::unique_ptr<TemporaryCopy> TemporaryCopy::make(const char *path, std::error_code &error, std::uint64_t growth)
{
    // The copy goes beside the real file: renaming over a link would replace the link and leave
    // the file it points to untouched.
    const std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path, nullptr), &std::free);
    if (!resolved) {
        error = lastError();
        return nullptr;
    }
    const std::string target = resolved.get();
    const std::string copyPath = target + ".quillmere-" + std::to_string(::getpid()) + "-"
        + std::to_string(::arc4random()) + ".tmp";
    return make(target, copyPath, error, growth);
}

std::unique_ptr<TemporaryCopy> TemporaryCopy::make(const std::string &target, const std::string &copyPath,
                                                   std::error_code &error, std::uint64_t growth)
{
    // O_NONBLOCK: a FIFO at the path must fail below, not wait for a writer.
    const Descriptor source{::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (source.value < 0) {
        error = lastError();
        return nullptr;
    }
    struct stat status{};
    if (::fstat(source.value, &status) != 0) {
        error = lastError();
        return nullptr;
    }
    if (!S_ISREG(status.st_mode)) {
        error = std::make_error_code(S_ISDIR(status.st_mode) ? std::errc::is_a_directory : std::errc::not_supported);
        return nullptr;
    }
    // A copy that fills the disk makes every write after it fail, in this program and others.
    struct statvfs space{};
    if (::statvfs(folderOf(copyPath).c_str(), &space) == 0
        && std::uint64_t(space.f_bavail) * space.f_frsize < std::uint64_t(status.st_size) + growth) {
        error = std::make_error_code(std::errc::no_space_on_device);
        return nullptr;
    }
    // O_EXCL and O_NOFOLLOW: never write through something planted at the copy's name.
    const int destination = ::open(copyPath.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (destination < 0) {
        error = lastError();
        return nullptr;
    }
    // From here on the copy is ours, and the destructor removes it on every failure.
    std::unique_ptr<TemporaryCopy> copy(new TemporaryCopy(target, copyPath, destination));
    if (!copyContents(source.value, destination)) {
        error = lastError();
        return nullptr;
    }
    // The owner first: changing it clears the set-user-ID bits that the mode then restores. Only
    // a privileged process may give the file away, so a failure here is no reason to stop.
    [[maybe_unused]] const int owned = ::fchown(destination, status.st_uid, status.st_gid);
    if (::fchmod(destination, status.st_mode & 07777) != 0) {
        error = lastError();
        return nullptr;
    }
    error.clear();
    return copy;
}

std::error_code TemporaryCopy::replaceTarget()
{
    if (::fsync(m_descriptor) != 0 || ::rename(m_path.c_str(), m_target.c_str()) != 0)
        return lastError();
    m_replaced = true;
    // Makes the rename itself durable; the file is already replaced, so a failure changes nothing.
    const Descriptor folder{::open(folderOf(m_target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (folder.value >= 0)
        ::fsync(folder.value);
    return {};
}
