#pragma once

#include "OrganizeError.h"
#include "OrganizePlanItem.h"
#include "OrganizeUndoStore.h"

#include "Models/Track.h"
#include "Storage/FileOperations.h"

#include <QList>
#include <QString>

#include <atomic>
#include <expected>
#include <functional>
#include <optional>

// Moves or copies the files of tracks into folders named by a template. `plan` works out the
// destinations without touching anything; `apply` records the plan in the undo journal, then
// carries it out, never overwriting a file. Takes no locks: one file job runs at a time.
class FileOrganizer
{
public:
    // Called after each applied item with (items done, total items), on the applying thread.
    using Progress = std::function<void(int done, int total)>;

    // The undo store must outlive the organizer.
    explicit FileOrganizer(OrganizeUndoStore &undo, FileOperations &files = FileOperations::system());

    OrganizeUndoStore &undo() const { return m_undo; }
    FileOperations &files() const { return m_files; }

    // One item per file that is not already in place, in the tracks' order; a file listed twice
    // is planned once. A destination taken by anything (a dangling link too) or by an earlier item
    // is numbered: "Song (2).flac", "Song (3).flac", ...
    QList<OrganizePlanItem> plan(
        const QList<Track> &tracks, const QString &templateText, const FileLocation &root) const;
    // Checks every item, records the plan, then copies or moves item by item; a later item with
    // the source of an earlier one is dropped. The first failing item stops the run with
    // ApplyFailed; the journal then holds only the items applied.
    std::expected<void, OrganizeError> apply(
        const QList<OrganizePlanItem> &items, bool copy, const Progress &progress = {});
    OrganizeUndoStore::UndoResult undoLast() { return m_undo.undoLast(); }

    // True when the two lie on different file systems, or when either cannot be examined. A
    // location that does not exist yet counts as the file system of its nearest existing folder.
    static bool crossesVolumes(
        const FileLocation &source, const FileLocation &destination, FileOperations &files);

    // From now on every apply stops before its next item and ends with Interrupted, keeping in
    // the journal only the items applied. Any thread may call it; used when the program quits.
    void stopBeforeNextItem() { m_stopRequested = true; }

private:
    std::expected<void, OrganizeError> preflight(const QList<OrganizePlanItem> &items) const;
    // The destination folders that do not exist yet, deepest last.
    QList<FileLocation> missingFolders(const QList<OrganizePlanItem> &items) const;
    std::expected<void, OrganizeError> applyItem(const OrganizePlanItem &item, bool copy);
    static std::optional<dev_t> volumeIdentifier(const FileLocation &location, FileOperations &files);

    OrganizeUndoStore &m_undo;
    FileOperations &m_files;
    std::atomic<bool> m_stopRequested = false;
};
