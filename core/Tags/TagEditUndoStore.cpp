#include "TagEditUndoStore.h"

#include "Localization.h"
#include "Storage/BackupJSON.h"

#include <algorithm>

namespace {

// The old value; else, when the edit set a value the file did not have, `cleared` to remove it
// again; else absent, leaving the field alone.
template <typename T>
std::optional<T> restored(const std::optional<T> &before, const std::optional<T> &after, const T &cleared)
{
    if (before)
        return before;
    if (after)
        return cleared;
    return std::nullopt;
}

} // namespace

TagEditUndoStore::TagEditUndoStore(const FileLocation &directory, int limit, FileOperations &files)
    : m_directory(directory), m_limit(std::max(limit, 1)), m_files(files)
{
    // A folder that cannot be made shows up as the load's or the next save's own error.
    (void)m_files.createDirectories(m_directory);
    Journal journal = load(journalFile(), m_limit, m_files);
    m_entries = std::move(journal.entries);
    m_loadNotice = std::move(journal.notice);
}

TagEditUndoStore::Journal TagEditUndoStore::load(const FileLocation &file, int limit, FileOperations &files)
{
    Loaded<QList<TagUndoEntry>> loaded = BackupJSON::load<QList<TagUndoEntry>>(file, files);
    Journal journal;
    switch (loaded.source) {
    case LoadSource::Primary:
    case LoadSource::Absent:
        break;
    case LoadSource::Backup:
        journal.notice = L("标签编辑撤销记录已从备份恢复。");
        break;
    case LoadSource::Unreadable:
        journal.notice = L("标签编辑撤销记录已损坏，无法读取。");
        break;
    }
    if (loaded.value) {
        journal.entries = std::move(*loaded.value);
        if (journal.entries.size() > limit)
            journal.entries.remove(0, journal.entries.size() - limit);
    }
    return journal;
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

std::expected<void, FileError> TagEditUndoStore::save(const QList<TagUndoEntry> &entries)
{
    if (auto saved = BackupJSON::save(entries, journalFile(), m_files); !saved)
        return saved;
    m_entries = entries;
    return {};
}

std::expected<void, FileError> TagEditUndoStore::record(const TagUndoEntry &entry)
{
    QList<TagUndoEntry> updated = m_entries;
    updated.append(entry);
    if (updated.size() > m_limit)
        updated.remove(0, updated.size() - m_limit);
    return save(updated);
}

std::expected<std::optional<TagUndoEntry>, TagEditUndoError> TagEditUndoStore::undoLast()
{
    if (m_entries.isEmpty())
        return std::nullopt;
    const TagUndoEntry entry = m_entries.last();
    if (auto written = m_service.write(restorePayload(entry), entry.url); !written)
        return std::unexpected(TagEditUndoError{written.error()});
    QList<TagUndoEntry> remaining = m_entries;
    remaining.removeLast();
    if (auto saved = save(remaining); !saved)
        return std::unexpected(TagEditUndoError{saved.error()});
    return entry;
}

std::expected<void, FileError> TagEditUndoStore::clear()
{
    if (auto removed = BackupJSON::remove(journalFile(), m_files); !removed)
        return removed;
    m_entries.clear();
    return {};
}
