#pragma once

#include "TagFields.h"

#include "Storage/FileLocation.h"

#include <expected>

// One tag edit of one file, as the journal keeps it to undo it.
struct TagUndoEntry
{
    FileLocation url;
    TagFields before; // the tags read from the file before the change
    TagFields after;  // the fields the change wrote; absent ones were left alone
    double date = 0;  // seconds since 2001-01-01 UTC

    friend bool operator==(const TagUndoEntry &, const TagUndoEntry &) = default;

    // Streamed: each side may carry a cover of several hundred kilobytes.
    void write(JsonWriter &writer) const;
    // All four keys are required.
    static std::expected<TagUndoEntry, QString> read(JsonReader &reader);
};
