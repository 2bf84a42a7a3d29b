#include "DescriptorStream.h"

#include <algorithm>
#include <cerrno>
#include <memory>

#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr unsigned long chunkSize = 1 << 20;

} // namespace

DescriptorStream::DescriptorStream(int descriptor) : m_descriptor(descriptor)
{
    m_expectedLength = length();
}

DescriptorStream::~DescriptorStream()
{
    ::close(m_descriptor);
}

void DescriptorStream::fail(int code)
{
    if (!m_error)
        m_error = std::error_code(code, std::generic_category());
}

long DescriptorStream::readAt(long offset, char *buffer, unsigned long size)
{
    unsigned long done = 0;
    while (done < size) {
        const ssize_t got = ::pread(m_descriptor, buffer + done, size - done, offset + long(done));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            fail(errno);
            break;
        }
        if (got == 0)
            break;
        done += static_cast<unsigned long>(got);
    }
    return long(done);
}

void DescriptorStream::writeAt(long offset, const char *data, unsigned long size)
{
    m_expectedLength = std::max(m_expectedLength, offset + long(size));
    while (size > 0) {
        const ssize_t written = ::pwrite(m_descriptor, data, size, offset);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            fail(written < 0 ? errno : EIO);
            return;
        }
        data += written;
        offset += written;
        size -= static_cast<unsigned long>(written);
    }
}

TagLib::ByteVector DescriptorStream::readBlock(unsigned long length)
{
    // Never more than the file holds: a damaged header can ask for gigabytes.
    const long available = std::max(0L, this->length() - m_position);
    TagLib::ByteVector block(static_cast<unsigned>(std::min<unsigned long>(length, static_cast<unsigned long>(available))));
    const long got = readAt(m_position, block.data(), block.size());
    block.resize(static_cast<unsigned>(got));
    m_position += got;
    return block;
}

void DescriptorStream::writeBlock(const TagLib::ByteVector &data)
{
    writeAt(m_position, data.data(), data.size());
    m_position += long(data.size());
}

void DescriptorStream::moveTail(long from, long to)
{
    const long end = length();
    if (from >= end)
        return;
    const auto buffer = std::make_unique<char[]>(chunkSize);
    if (to > from) {
        // Growing: copy from the end backwards so nothing is overwritten before it is read.
        for (long position = end; position > from && !m_error;) {
            const long size = std::min(long(chunkSize), position - from);
            position -= size;
            const long got = readAt(position, buffer.get(), static_cast<unsigned long>(size));
            if (got != size)
                return fail(m_error ? m_error.value() : EIO);
            writeAt(position + (to - from), buffer.get(), static_cast<unsigned long>(size));
        }
    } else {
        for (long position = from; position < end && !m_error;) {
            const long size = std::min(long(chunkSize), end - position);
            const long got = readAt(position, buffer.get(), static_cast<unsigned long>(size));
            if (got != size)
                return fail(m_error ? m_error.value() : EIO);
            writeAt(position - (from - to), buffer.get(), static_cast<unsigned long>(size));
            position += size;
        }
    }
}

void DescriptorStream::insert(const TagLib::ByteVector &data, unsigned long start, unsigned long replace)
{
    const long begin = long(start);
    const long replacedEnd = std::min(begin + long(replace), std::max(begin, length()));
    const long newEnd = begin + long(data.size());
    if (newEnd > replacedEnd) {
        moveTail(replacedEnd, newEnd);
    } else if (newEnd < replacedEnd) {
        const long end = length();
        moveTail(replacedEnd, newEnd);
        truncate(end - (replacedEnd - newEnd));
    }
    writeAt(begin, data.data(), data.size());
    m_position = newEnd;
}

void DescriptorStream::removeBlock(unsigned long start, unsigned long length)
{
    const long end = this->length();
    const long begin = std::min(long(start), end);
    const long removedEnd = std::min(begin + long(length), end);
    moveTail(removedEnd, begin);
    truncate(end - (removedEnd - begin));
    m_position = begin;
}

void DescriptorStream::seek(long offset, Position position)
{
    switch (position) {
    case Beginning:
        m_position = offset;
        break;
    case Current:
        m_position += offset;
        break;
    case End:
        m_position = length() + offset;
        break;
    }
    m_position = std::max(0L, m_position);
}

long DescriptorStream::length()
{
    struct stat status{};
    if (::fstat(m_descriptor, &status) != 0) {
        fail(errno);
        return 0;
    }
    return long(status.st_size);
}

void DescriptorStream::truncate(long length)
{
    m_expectedLength = length;
    if (::ftruncate(m_descriptor, length) != 0)
        fail(errno);
}
