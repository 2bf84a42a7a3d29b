#pragma once

#include "Storage/JsonReader.h"
#include "Storage/JsonWriter.h"

#include <QString>

#include <expected>
#include <optional>

// The unit of tag reading, writing and undo. Read from a file, an absent field means the file has
// no value; written to a file, an absent field is left unchanged and the empty text (or 0 for the
// numbers) clears it. The JSON form is both the tag bridge's exchange text and the form kept in
// the tag-edit journal: absent fields are left out, and null reads as absent.
struct TagFields
{
    std::optional<QString> title;
    std::optional<QString> artist;
    std::optional<QString> album;
    std::optional<QString> albumArtist;
    std::optional<qint64> year;
    std::optional<qint64> trackNumber;
    std::optional<QString> genre;
    std::optional<QString> artworkBase64; // the cover image's bytes in standard Base64

    friend bool operator==(const TagFields &, const TagFields &) = default;

    // Streamed: journal entries carry covers of several hundred kilobytes each.
    void write(JsonWriter &writer) const;
    // Keys outside the eight are ignored; a value of the wrong kind fails the whole record.
    static std::expected<TagFields, QString> read(JsonReader &reader);
};
