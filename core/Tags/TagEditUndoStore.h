#pragma once

#include "TagEditUndoError.h"
#include "TagService.h"
#include "TagUndoEntry.h"

#include "Storage/FileOperations.h"
#include "Storage/UndoJournal.h"

#include <QList>
#include <QString>

#include <expected>
#include <functional>
#include <optional>

// The journal of tag edits, "tag-edits.json" in the undo folder, oldest first. The newest edit can
// be undone, repeatedly, by writing the old tags back. The entries change only after the file work
// that goes with the change succeeded, so they always match the journal file. Not thread-safe.
class TagEditUndoStore
{
public:
    static inline const QByteArray journalFileName = "tag-edits.json";

    // Writes tags into a file as TagService::write does.
    using TagWriter = std::function<std::expected<void, TagServiceError>(const TagFields &, const FileLocation &)>;

    // Creates the folder and loads the journal; never fails (a damaged journal starts empty and
    // says so in loadNotice). A limit below 1 counts as 1.
    TagEditUndoStore(const FileLocation &directory, int limit, FileOperations &files = FileOperations::system());

    const QList<TagUndoEntry> &entries() const { return m_journal.entries(); }
    const std::optional<QString> &loadNotice() const { return m_journal.loadNotice(); }

    // Appends the entry, dropping the oldest beyond the limit.
    std::expected<void, FileError> record(const TagUndoEntry &entry);
    // Writes the newest entry's old tags back into its file (through `write` when given, else
    // this store's own tag service) and drops it; nothing when the journal is empty.
    std::expected<std::optional<TagUndoEntry>, TagEditUndoError> undoLast(const TagWriter &write = {});
    // Removes the journal and its backup.
    std::expected<void, FileError> clear();

private:
    // What undoes the entry: for each field the edit changed, the old value, or clearing when the
    // file had none.
    static TagFields restorePayload(const TagUndoEntry &entry);

    UndoJournal<TagUndoEntry> m_journal;
    TagService m_service;
};
