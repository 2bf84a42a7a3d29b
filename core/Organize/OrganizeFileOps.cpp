#include "OrganizeFileOps.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Closes a descriptor when the scope ends.
struct Descriptor
{
    int fd;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// Up to `size` bytes; fewer only at the end of the file. -1 on an error.
ssize_t readFully(int fd, char *buffer, size_t size)
{
    size_t done = 0;
    while (done < size) {
        const ssize_t got = ::read(fd, buffer + done, size - done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        done += size_t(got);
    }
    return ssize_t(done);
}

bool sameBytes(const FileLocation &first, const FileLocation &second)
{
    const Descriptor a{::open(first.cPath(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    const Descriptor b{::open(second.cPath(), O_RDONLY | O_CLOEXEC | O_NONBLOCK)};
    if (a.fd < 0 || b.fd < 0)
        return false;
    constexpr size_t chunk = 1 << 16;
    const auto bufferA = std::make_unique<char[]>(chunk);
    const auto bufferB = std::make_unique<char[]>(chunk);
    for (;;) {
        const ssize_t gotA = readFully(a.fd, bufferA.get(), chunk);
        const ssize_t gotB = readFully(b.fd, bufferB.get(), chunk);
        if (gotA < 0 || gotA != gotB || std::memcmp(bufferA.get(), bufferB.get(), size_t(gotA)) != 0)
            return false;
        if (gotA == 0)
            return true;
    }
}

} // namespace

namespace OrganizeFileOps {

bool sameContent(const FileLocation &first, const FileLocation &second, FileOperations &files)
{
    const auto a = files.status(first);
    const auto b = files.status(second);
    // Copies keep the time, but FAT and exFAT volumes store it in steps of up to two seconds.
    return a && b && a->isRegularFile && b->isRegularFile && a->size == b->size
        && std::abs(a->modified.tv_sec - b->modified.tv_sec) <= 2 && sameBytes(first, second);
}

std::expected<void, FileError> move(const FileLocation &from, const FileLocation &to, FileOperations &files)
{
    auto renamed = files.moveNoReplace(from, to);
    if (renamed || renamed.error().code != EXDEV)
        return renamed;

    if (auto copied = files.copyFile(from, to); !copied)
        return copied;
    auto removed = files.remove(from);
    // Drop the copy only while the source is certainly still there: it must stay the one copy.
    if (!removed && files.exists(from))
        (void)files.remove(to);
    return removed;
}

} // namespace OrganizeFileOps
