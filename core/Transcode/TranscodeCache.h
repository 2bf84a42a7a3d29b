#pragma once

#include "Models/Track.h"
#include "Storage/FileLocation.h"

#include <QString>

// Where the converted copy of an audio file lives. An entry is found by recomputing its key from
// the track; the file's existence is the only record, so an edited file simply gets a new entry.
namespace TranscodeCache {

// The version of the key scheme; every key the system computes passes it.
inline constexpr int version = 1;

// 32 lower-case hex digits: the first half of the SHA-256 of "path|size|milliseconds|version",
// where the path is standardised and `modifiedAt` (seconds since 2001, as tracks store it) is
// rounded to whole milliseconds since 1970, halves away from zero.
QString key(const FileLocation &url, qint64 fileSize, double modifiedAt, int version);

// The track's entry in the cache folder: its key followed by ".m4a". Does not touch the disk.
FileLocation cacheURL(const Track &track, const FileLocation &root);

// Bytes in the regular files below the folder, hidden items and links left out; a missing or
// unreadable folder measures 0.
qint64 directorySize(const FileLocation &root);

} // namespace TranscodeCache
