#pragma once

#include "AudioMetadata.h"
#include "Models/Track.h"
#include "Storage/FileOperations.h"
#include "Tags/TagFields.h"

#include <QUuid>

#include <optional>

// The one place where tracks are made: from what is known about an audio file, falling back to the
// file name wherever the tags give nothing. Never fails; thread-safe.
namespace TrackFactory {

// Text from tags or a file-name guess as a track takes it: trimmed of white space and line breaks,
// nothing when that leaves nothing, and garbled Chinese repaired.
std::optional<QString> clean(const std::optional<QString> &text);

// A track for the file at `url` carrying exactly the given identity. The file's size and
// modification date come from the file system; when they cannot be read, 0 and the current time.
Track make(const FileLocation &url, const std::optional<AudioMetadata> &metadata, const QUuid &id,
           FileOperations &files = FileOperations::system());
// The same with the file's size and modification date as the caller found them before reading it,
// so that a file changed meanwhile reads as changed at the next rescan.
Track make(const FileLocation &url, const std::optional<AudioMetadata> &metadata, const QUuid &id,
           const FileStatus &status);

// The track with its descriptive fields re-filled from the tags now written to its file. Identity,
// file facts and cover stay; touches no file.
Track applying(const TagFields &fields, const Track &track);

} // namespace TrackFactory
