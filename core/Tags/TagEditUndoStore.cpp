#include "TagEditUndoStore.h"

#include "Localization.h"

#include <algorithm>

namespace {

// Only a field the edit changed is written back: the old value, or `cleared` when the file had
// none. A field the edit left alone stays absent, so that an undo never rewrites it (rewriting the
// artwork would drop every picture but the front cover).
template <typename T>
std::optional<T> restored(const std::optional<T> &before, const std::optional<T> &after, const T &cleared)
{
    if (before == after)
        return std::nullopt;
    if (before)
        return before;
    return cleared;
}

} // namespace

TagEditUndoStore::TagEditUndoStore(const FileLocation &directory, int limit, FileOperations &files)
    : m_journal(directory.appending(journalFileName), limit,
                {L("标签编辑撤销记录已从备份恢复。"), L("标签编辑撤销记录已损坏，无法读取。")}, files)
{
}

TagFields TagEditUndoStore::restorePayload(const TagUndoEntry &entry)
{
    const TagFields &before = entry.before;
    const TagFields &after = entry.after;
    TagFields payload;
    payload.title = restored(before.title, after.title, QString());
    payload.artist = restored(before.artist, after.artist, QString());
    payload.album = restored(before.album, after.album, QString());
    payload.albumArtist = restored(before.albumArtist, after.albumArtist, QString());
    payload.year = restored(before.year, after.year, qint64(0));
    payload.trackNumber = restored(before.trackNumber, after.trackNumber, qint64(0));
    payload.genre = restored(before.genre, after.genre, QString());
    payload.artworkBase64 = restored(before.artworkBase64, after.artworkBase64, QString());
    return payload;
}

std::expected<void, FileError> TagEditUndoStore::record(const TagUndoEntry &entry)
{
    return m_journal.append(entry);
}

std::expected<std::optional<TagUndoEntry>, TagEditUndoError> TagEditUndoStore::undoLast(const TagWriter &write)
{
    if (m_journal.entries().isEmpty())
        return std::nullopt;
    const TagUndoEntry entry = m_journal.entries().last();
    const TagFields payload = restorePayload(entry);
    if (auto written = write ? write(payload, entry.url) : m_service.write(payload, entry.url); !written)
        return std::unexpected(TagEditUndoError{written.error()});
    if (auto saved = m_journal.removeLast(); !saved)
        return std::unexpected(TagEditUndoError{saved.error()});
    return entry;
}

std::expected<void, FileError> TagEditUndoStore::clear()
{
    return m_journal.clear();
}
