#pragma once

#include "Library/FileFingerprint.h"
#include "Library/MetadataReading.h"
#include "Library/ScanResult.h"
#include "Storage/FileLocation.h"
#include "Storage/FileOperations.h"

#include <QFuture>
#include <QHash>
#include <QList>

// Turns library folders into tracks: walks them, reads the metadata of every native-format file
// on a bounded pool of threads and makes one track per file. Keeps no state and stores nothing;
// runs on the calling (worker) thread and blocks until done.
namespace LibraryScanner {

// Standardised path -> the fingerprint stored for it. A native file found with that same size and
// modification date is not read again: the merge keeps its stored record anyway.
using KnownFiles = QHash<QByteArray, FileFingerprint>;

struct CollectedFiles
{
    QList<FileLocation> files;
    QList<std::optional<FileStatus>> statuses; // one per file; nothing when it could not be examined
    QList<FileLocation> unopenableFolders; // folders that could not be listed, so the user hears of them
};

// Every file with a supported extension below the folders, standardised, in the order found, one
// per file on disk (device and inode): a link to a file listed already is dropped, and a file seen
// first through a link is listed by its own path. Names starting with "." are neither listed nor
// entered; links to folders are not followed; names are taken as raw bytes, whatever their encoding.
CollectedFiles collectFiles(const QList<FileLocation> &folders);

// Where the scan puts the covers it reads: each in a file of its own inside `folder`, written by
// the thread that read it so that no cover is held longer than that (ScannedCoverWriter). A file
// not in the known files gets its new track's cover name at once, the others a temporary name
// that the merge replaces by their track's.
struct CoverOutput
{
    FileLocation folder;
    FileOperations &files;
};

// The scan in path order. A native file the reader cannot read is listed as unreadable, and so is
// a folder that cannot be listed; fallback formats are never read and always give a track. Covers
// are written through `covers` when given, else dropped.
ScanResult scan(const QList<FileLocation> &folders, const MetadataReading &reader, const KnownFiles &known = {},
                const CoverOutput *covers = nullptr);
// The same with the known files still in the making: they are first needed once the folders
// are walked.
ScanResult scan(const QList<FileLocation> &folders, const MetadataReading &reader, QFuture<KnownFiles> known,
                const CoverOutput *covers);

} // namespace LibraryScanner
