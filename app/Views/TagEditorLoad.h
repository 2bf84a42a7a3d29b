#pragma once

#include "Storage/FileLocation.h"
#include "Tags/TagFields.h"
#include "Tags/TagFormatCapabilities.h"

#include <QImage>
#include <QList>

#include <optional>

class TagIO;

// What the tag editor learns from the disk before the user edits, gathered on a worker thread:
// what the files' formats can take (WAV files are opened for that) and, for a single track, its
// tags and a thumbnail of its cover.
struct TagEditorLoad
{
    TagFormatCapabilities capabilities;
    // The one track's tags; nothing in batch mode or when they cannot be read.
    std::optional<TagFields> fields;
    // The embedded cover decoded for the preview; null without one or when it does not decode.
    QImage cover;

    // `readTags`: the one file whose tags to read, if any; `coverSide`: the preview's side in
    // device pixels.
    static TagEditorLoad run(const TagIO &tags, const QList<FileLocation> &files,
        const std::optional<FileLocation> &readTags, int coverSide);
};
