#include "ReadAheadStream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// Tags, stream headers and a typical embedded cover fit in the head; the tail holds ID3v1, APE
// and Lyrics3 tags. A file no larger than both together is read whole.
constexpr long headSize = 256 * 1024;
constexpr long tailSize = 32 * 1024;
constexpr long windowSize = 64 * 1024;

} // namespace

ReadAheadStream::ReadAheadStream(int descriptor, std::string name) : m_descriptor(descriptor), m_name(std::move(name))
{
    struct stat status{};
    if (::fstat(m_descriptor, &status) == 0)
        m_length = long(status.st_size);
    const bool small = m_length <= headSize + tailSize;
    fill(m_head, 0, small ? m_length : headSize);
    if (!small)
        fill(m_tail, m_length - tailSize, tailSize);
}

ReadAheadStream::~ReadAheadStream()
{
    ::close(m_descriptor);
}

long ReadAheadStream::readAt(long offset, char *buffer, long size) const
{
    long done = 0;
    while (done < size) {
        const ssize_t got = ::pread(m_descriptor, buffer + done, size_t(size - done), offset + done);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        done += got;
    }
    return done;
}

void ReadAheadStream::fill(Block &block, long offset, long size) const
{
    block.offset = offset;
    block.bytes.resize(size_t(std::max(0L, size)));
    block.bytes.resize(size_t(readAt(offset, block.bytes.data(), long(block.bytes.size()))));
}

TagLib::ByteVector ReadAheadStream::readBlock(unsigned long length)
{
    const long size = std::clamp(m_length - m_position, 0L, long(std::min<unsigned long>(length, 0x7fffffff)));
    if (size == 0)
        return {};
    const Block *source = nullptr;
    for (const Block *block : {&m_head, &m_tail, &m_window}) {
        if (block->holds(m_position, size)) {
            source = block;
            break;
        }
    }
    if (!source && size <= windowSize) {
        fill(m_window, m_position, windowSize);
        if (m_window.holds(m_position, size))
            source = &m_window;
    }
    TagLib::ByteVector bytes;
    if (source) {
        bytes.setData(source->bytes.data() + (m_position - source->offset), unsigned(size));
    } else {
        bytes.resize(unsigned(size));
        bytes.resize(unsigned(readAt(m_position, bytes.data(), size)));
    }
    m_position += long(bytes.size());
    return bytes;
}

void ReadAheadStream::seek(long offset, Position position)
{
    const long base = position == Beginning ? 0 : position == Current ? m_position : m_length;
    if (base + offset >= 0)
        m_position = base + offset;
}
