#pragma once

#include "WrittenTags.h"

#include "Library/LibraryStore.h"

#include <QList>
#include <QString>

// Brings library entries in line with tags written into their files.
namespace TagIndexUpdate {

// The image of a cover text in standard Base64; a line break or any other character outside the
// alphabet makes the whole text undecodable. Nothing for no text.
std::optional<QByteArray> decodeArtwork(const std::optional<QString> &base64);
// Examines the file and decodes the cover when it changed, as the library entry needs them.
WrittenTags describe(const FileLocation &url, const TagFields &fields, bool artworkChanged,
                     FileOperations &files);
// The edits that give each file's first library entry (matched by standardised location) the
// written tags, with the file-name fallbacks of a new track, and the file's size and date when
// it could be examined. Files without an entry are left out.
QList<LibraryStore::TrackEdit> edits(const QList<Track> &library, const QList<WrittenTags> &written);

} // namespace TagIndexUpdate
