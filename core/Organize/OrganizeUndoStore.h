#pragma once

#include "OrganizeError.h"
#include "OrganizeUndoEntry.h"

#include "Storage/FileOperations.h"
#include "Storage/UndoJournal.h"

#include <QList>
#include <QString>

#include <expected>
#include <optional>

// The journal of organisations, "organize.json" in the undo folder, oldest first. Every run is
// recorded before its first file is touched, so the newest one can be undone, also after a
// restart or a crash. Not thread-safe: the caller runs one file job at a time.
class OrganizeUndoStore
{
public:
    static inline const QByteArray journalFileName = "organize.json";

    // The restored items, last plan item first, or nothing when the journal is empty.
    using UndoResult = std::expected<std::optional<QList<OrganizePlanItem>>, OrganizeError>;

    // Creates the folder and loads the journal; never fails (a damaged journal starts empty and
    // says so in loadNotice). A limit below 1 counts as 1.
    OrganizeUndoStore(
        const FileLocation &directory, int limit, FileOperations &files = FileOperations::system());

    const QList<OrganizeUndoEntry> &entries() const { return m_journal.entries(); }
    const std::optional<QString> &loadNotice() const { return m_journal.loadNotice(); }
    FileLocation directory() const { return m_journal.file().deletingLastPathComponent(); }
    int limit() const { return m_journal.limit(); }

    // Appends an entry (nothing for no items), dropping the oldest beyond the limit. On a failed
    // save the entries stay as they were. `createdFolders` are the folders the run will create.
    std::expected<void, OrganizeError> record(const QList<OrganizePlanItem> &items, bool copy,
                                              const QList<FileLocation> &createdFolders = {});
    // After a run that stopped early: the newest entry keeps only the items that reached their
    // destination, and goes when there are none, so that an undo never acts on the others.
    std::expected<void, OrganizeError> keepOnlyApplied(const QList<OrganizePlanItem> &applied);
    // Reverts the newest entry, last item first. Items whose file is gone are skipped; a copy is
    // deleted only while the original holds the same content. A moved file whose source holds the
    // same bytes again (a move across file systems cut short) just loses its second copy. The
    // run's unfinished temporary files go, and so do the folders it created once they are empty.
    // On failure the entry stays for another try.
    UndoResult undoLast();
    // Removes the journal and its backup.
    std::expected<void, OrganizeError> clear();

private:
    // Saves the list; only then does it become the entries.
    std::expected<void, OrganizeError> save(const QList<OrganizeUndoEntry> &entries);
    // True when the item was reverted, false when there was nothing to revert.
    std::expected<bool, OrganizeError> undoItem(const OrganizePlanItem &item, bool copy);
    // The unfinished temporary copies a killed run or undo left beside the item's two files.
    void removeTemporaries(const OrganizePlanItem &item);

    UndoJournal<OrganizeUndoEntry> m_journal;
    FileOperations &m_files;
};
