#include "OrganizeUndoStore.h"

#include "OrganizeFileOps.h"

#include "Localization.h"
#include "Storage/FileTime.h"

#include <algorithm>
#include <cerrno>

OrganizeUndoStore::OrganizeUndoStore(const FileLocation &directory, int limit, FileOperations &files)
    : m_journal(directory.appending(journalFileName), limit,
                {L("整理撤销记录已从备份恢复。"), L("整理撤销记录已损坏，无法读取。")}, files)
    , m_files(files)
{
}

std::expected<void, OrganizeError> OrganizeUndoStore::save(const QList<OrganizeUndoEntry> &entries)
{
    if (auto saved = m_journal.save(entries); !saved)
        return std::unexpected(OrganizeError::file(saved.error()));
    return {};
}

std::expected<void, OrganizeError> OrganizeUndoStore::record(const QList<OrganizePlanItem> &items, bool copy,
                                                             const QList<FileLocation> &createdFolders)
{
    if (items.isEmpty())
        return {};
    const OrganizeUndoEntry entry { items, copy, FileTime::nowReferenceSeconds(), createdFolders };
    if (auto saved = m_journal.append(entry); !saved)
        return std::unexpected(OrganizeError::file(saved.error()));
    return {};
}

std::expected<void, OrganizeError> OrganizeUndoStore::keepOnlyApplied(const QList<OrganizePlanItem> &applied)
{
    if (m_journal.entries().isEmpty())
        return {};
    QList<OrganizeUndoEntry> updated = m_journal.entries();
    if (applied.isEmpty())
        updated.removeLast();
    else
        updated.last().items = applied;
    return save(updated);
}

OrganizeUndoStore::UndoResult OrganizeUndoStore::undoLast()
{
    if (m_journal.entries().isEmpty())
        return std::nullopt;
    const OrganizeUndoEntry entry = m_journal.entries().last();
    QList<OrganizePlanItem> restored;
    for (auto item = entry.items.crbegin(); item != entry.items.crend(); ++item) {
        const std::expected<bool, OrganizeError> reverted = undoItem(*item, entry.copy);
        if (!reverted)
            return std::unexpected(OrganizeError::undoFailed(restored, reverted.error()));
        removeTemporaries(*item);
        if (*reverted)
            restored.append(*item);
    }
    // Deepest first; a folder that still holds anything stays.
    for (auto folder = entry.createdFolders.crbegin(); folder != entry.createdFolders.crend(); ++folder)
        (void)m_files.removeEmptyFolder(*folder);
    if (auto saved = m_journal.removeLast(); !saved)
        return std::unexpected(OrganizeError::file(saved.error()));
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
        // Unless the original still holds what was copied, the copy may be the only one left.
        const auto original = m_files.status(source);
        if (!original || (original->device == placed->device && original->inode == placed->inode)
            || !OrganizeFileOps::sameContent(source, destination, m_files))
            return false;
        if (auto removed = m_files.remove(destination); !removed)
            return std::unexpected(OrganizeError::file(removed.error()));
        return true;
    }

    if (m_files.entryExists(source)) {
        // A move across file systems cut short between copy and removal: the source is intact.
        if (!OrganizeFileOps::sameContent(source, destination, m_files))
            return std::unexpected(OrganizeError::restoreConflict(source));
        if (auto removed = m_files.remove(destination); !removed)
            return std::unexpected(OrganizeError::file(removed.error()));
        return true;
    }
    if (auto created = m_files.createDirectories(source.deletingLastPathComponent()); !created)
        return std::unexpected(OrganizeError::file(created.error()));
    if (auto moved = OrganizeFileOps::move(destination, source, m_files); !moved) {
        if (moved.error().code == EEXIST)
            return std::unexpected(OrganizeError::restoreConflict(source));
        return std::unexpected(OrganizeError::file(moved.error()));
    }
    return true;
}

void OrganizeUndoStore::removeTemporaries(const OrganizePlanItem &item)
{
    for (const FileLocation &file : { item.destination.standardized(), item.source.standardized() })
        m_files.removeStaleTemporaries(file.deletingLastPathComponent(), file.fileName());
}

std::expected<void, OrganizeError> OrganizeUndoStore::clear()
{
    if (auto removed = m_journal.clear(); !removed)
        return std::unexpected(OrganizeError::file(removed.error()));
    return {};
}
