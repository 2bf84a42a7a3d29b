#include "FakeTagIO.h"

namespace {

// As the tag bridge writes: a present value replaces the tag, and its removal form (the empty
// text, 0) removes it.
template <typename T> void takePresent(std::optional<T> &target, const std::optional<T> &value)
{
    if (!value)
        return;
    if (*value == T{})
        target.reset();
    else
        target = value;
}

} // namespace

std::optional<TagFields> FakeTagIO::read(const FileLocation &file) const
{
    QMutexLocker locker(&m_lock);
    if (m_unreadable.contains(file))
        return std::nullopt;
    return m_files.value(file);
}

std::expected<void, TagServiceError> FakeTagIO::write(const TagFields &fields, const FileLocation &file) const
{
    QMutexLocker locker(&m_lock);
    if (const auto failure = m_writeFailures.constFind(file); failure != m_writeFailures.cend())
        return std::unexpected(TagServiceError::writeFailed(*failure));
    ++m_writeCount;
    TagFields &stored = m_files[file];
    takePresent(stored.title, fields.title);
    takePresent(stored.artist, fields.artist);
    takePresent(stored.album, fields.album);
    takePresent(stored.albumArtist, fields.albumArtist);
    takePresent(stored.year, fields.year);
    takePresent(stored.trackNumber, fields.trackNumber);
    takePresent(stored.genre, fields.genre);
    takePresent(stored.artworkBase64, fields.artworkBase64);
    return {};
}

void FakeTagIO::setTags(const FileLocation &file, const TagFields &fields)
{
    QMutexLocker locker(&m_lock);
    m_files.insert(file, fields);
}

void FakeTagIO::failReading(const FileLocation &file)
{
    QMutexLocker locker(&m_lock);
    m_unreadable.insert(file);
}

void FakeTagIO::failWriting(const FileLocation &file, const QString &error)
{
    QMutexLocker locker(&m_lock);
    m_writeFailures.insert(file, error);
}

int FakeTagIO::writeCount() const
{
    QMutexLocker locker(&m_lock);
    return m_writeCount;
}
