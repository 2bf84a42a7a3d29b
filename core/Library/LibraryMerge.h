#pragma once

#include "Library/ScanResult.h"
#include "Models/Track.h"
#include "Storage/FileLocation.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QUuid>

// The merge of a rescan into the library, as two pure steps around the reading of covers:
// plan() right after the scan, finish() once the covers of new and changed files are stored.
// Tracks keep their identity when their file is unchanged, rewritten in place, or moved one to one.
namespace LibraryMerge {

struct Plan
{
    QList<FileLocation> unreadableURLs; // the store's new list of unreadable files
    QList<Track> unchanged;             // stored records of files found as they were
    QList<Track> pending;               // new and rewritten files, in path order; their covers are read
    QHash<QUuid, FileLocation> moves;   // stored tracks whose file moved, to their new location
    QSet<QByteArray> scannedPaths;      // left empty when nothing was stored: nothing to check against it
    QSet<QByteArray> unreadablePaths;
    QList<QByteArray> folderPrefixes;
    bool scoped = false;
    QHash<QUuid, QByteArray> plannedPaths; // each track's path when the plan was made
    // The common rescan: every stored track was found unchanged, in the scan's order. `unchanged`
    // is then the library's own list as it was (missing flags not yet cleared), and the path
    // fields are left empty until a library changed meanwhile needs them.
    bool unchangedIsLibrary = false;
};

// The standardised path of a location, the key every rule of the merge compares.
QByteArray pathOf(const FileLocation &url);

// The scan's tracks are moved into the plan when the scan is handed over (std::move).
Plan plan(const QList<Track> &libraryTracks, ScanResult scan, const QList<FileLocation> &folders, bool scoped,
          const QList<FileLocation> &currentUnreadable);

// The new track list: unchanged, then pending, then the tracks not found at their stored paths
// (moved, kept, or flagged missing). It is reconciled with the library as it is now: tracks
// removed while the rescan ran stay removed, an unchanged track keeps its current record, and a
// track added or re-pointed meanwhile stays as it is now, since the scan judged its old path
// only; a file the scan found at its new path is that track's, not a new one.
// The store's list of unreadable files after a merge planned without the current list: in a
// scoped rescan the current entries outside the scanned folders stay, ahead of the scan's own.
QList<FileLocation> unreadableURLs(const Plan &plan, const QList<FileLocation> &currentUnreadable);

QList<Track> finish(const Plan &plan, const QList<Track> &currentTracks);

} // namespace LibraryMerge
