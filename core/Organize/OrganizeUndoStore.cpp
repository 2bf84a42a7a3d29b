#include "OrganizeUndoStore.h"

#include "OrganizeFileOps.h"

#include "Localization.h"
#include "Storage/BackupJSON.h"
#include "Storage/FileTime.h"

#include <algorithm>
#include <cerrno>

OrganizeUndoStore::OrganizeUndoStore(const FileLocation &directory, int limit, FileOperations &files)
    : m_directory(directory)
    , m_limit(std::max(limit, 1))
    , m_files(files)
{
    // A folder that cannot be made shows up as the load's or the next save's own error.
    (void)m_files.createDirectories(m_directory);
    Journal journal = load(journalFile(), m_limit, m_files);
    m_entries = std::move(journal.entries);
    m_loadNotice = std::move(journal.notice);
}

OrganizeUndoStore::Journal OrganizeUndoStore::load(const FileLocation &file, int limit, FileOperations &files)
{
    Loaded<QList<OrganizeUndoEntry>> loaded = BackupJSON::load<QList<OrganizeUndoEntry>>(file, files);
    Journal journal;
    switch (loaded.source) {
    case LoadSource::Primary:
    case LoadSource::Absent:
        break;
    case LoadSource::Backup:
        journal.notice = L("整理撤销记录已从备份恢复。");
        break;
    case LoadSource::Unreadable:
        journal.notice = L("整理撤销记录已损坏，无法读取。");
        break;
    }
    if (loaded.value) {
        journal.entries = std::move(*loaded.value);
        if (journal.entries.size() > limit)
            journal.entries.remove(0, journal.entries.size() - limit);
    }
    return journal;
}

std::expected<void, OrganizeError> OrganizeUndoStore::save(const QList<OrganizeUndoEntry> &entries)
{
    if (auto saved = BackupJSON::save(entries, journalFile(), m_files); !saved)
        return std::unexpected(OrganizeError::file(saved.error()));
    m_entries = entries;
    return {};
}

std::expected<void, OrganizeError> OrganizeUndoStore::record(const QList<OrganizePlanItem> &items, bool copy)
{
    if (items.isEmpty())
        return {};
    QList<OrganizeUndoEntry> updated = m_entries;
    updated.append(OrganizeUndoEntry { items, copy, FileTime::nowReferenceSeconds() });
    if (updated.size() > m_limit)
        updated.remove(0, updated.size() - m_limit);
    return save(updated);
}

std::expected<void, OrganizeError> OrganizeUndoStore::keepOnlyApplied(const QList<OrganizePlanItem> &applied)
{
    if (m_entries.isEmpty())
        return {};
    QList<OrganizeUndoEntry> updated = m_entries;
    if (applied.isEmpty())
        updated.removeLast();
    else
        updated.last().items = applied;
    return save(updated);
}

OrganizeUndoStore::UndoResult OrganizeUndoStore::undoLast()
{
    if (m_entries.isEmpty())
        return std::nullopt;
    const OrganizeUndoEntry entry = m_entries.last();
    QList<OrganizePlanItem> restored;
    for (auto item = entry.items.crbegin(); item != entry.items.crend(); ++item) {
        const std::expected<bool, OrganizeError> reverted = undoItem(*item, entry.copy);
        if (!reverted)
            return std::unexpected(OrganizeError::undoFailed(restored, reverted.error()));
        if (*reverted)
            restored.append(*item);
    }
    QList<OrganizeUndoEntry> remaining = m_entries;
    remaining.removeLast();
    if (auto saved = save(remaining); !saved)
        return std::unexpected(saved.error());
    return restored;
}

std::expected<bool, OrganizeError> OrganizeUndoStore::undoItem(const OrganizePlanItem &item, bool copy)
{
    const FileLocation destination = item.destination.standardized();
    const FileLocation source = item.source.standardized();

    const auto placed = m_files.status(destination);
    if (!placed) {
        // Never applied, or already undone or removed. Any other failure to look is no proof of
        // absence, and skipping would drop the item from the journal.
        const int code = placed.error().code;
        if (code == ENOENT || code == ENOTDIR)
            return false;
        return std::unexpected(OrganizeError::file(placed.error()));
    }
    // Whatever the user put there since (a folder, a device) is not the organised file.
    if (!placed->isRegularFile)
        return false;

    if (copy) {
        // When the original is gone, the copy is the only one left: keep it.
        const auto original = m_files.status(source);
        if (!original || (original->device == placed->device && original->inode == placed->inode))
            return false;
        if (auto removed = m_files.remove(destination); !removed)
            return std::unexpected(OrganizeError::file(removed.error()));
        return true;
    }

    if (m_files.exists(source))
        return std::unexpected(OrganizeError::restoreConflict(source));
    if (auto created = m_files.createDirectories(source.deletingLastPathComponent()); !created)
        return std::unexpected(OrganizeError::file(created.error()));
    if (auto moved = OrganizeFileOps::move(destination, source, m_files); !moved) {
        if (moved.error().code == EEXIST)
            return std::unexpected(OrganizeError::restoreConflict(source));
        return std::unexpected(OrganizeError::file(moved.error()));
    }
    return true;
}

std::expected<void, OrganizeError> OrganizeUndoStore::clear()
{
    if (auto removed = BackupJSON::remove(journalFile(), m_files); !removed)
        return std::unexpected(OrganizeError::file(removed.error()));
    m_entries.clear();
    return {};
}
