#pragma once

#include "Models/Track.h"
#include "Storage/FileError.h"
#include "Storage/FileLocation.h"

#include <QHash>
#include <QList>

#include <optional>

// What a scan found, in path order: one track per file that produced one, and the native-format
// files whose metadata could not be read. Covers are not held: the scan writes each one to a
// file of its own as it reads it, and the merge names the file after its track or removes it.
struct ScanResult
{
    QList<Track> tracks;
    QList<FileLocation> unreadable;
    QHash<QByteArray, FileLocation> coverFiles; // standardised path of an audio file -> its cover, written
    std::optional<FileError> coverError;        // the first cover that could not be written
};
