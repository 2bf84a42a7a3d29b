#pragma once

#include <string>
#include <string_view>

struct TagSnapshot;

// The bridge's read result: one JSON object with the members title, artist, album, albumArtist,
// year, trackNumber, genre and artworkBase64 in this order, without white space. A missing
// value (empty text, 0 number, no cover) is written as null.
namespace TagJson {

std::string encode(const TagSnapshot &snapshot);

// A JSON string of UTF-8 bytes, or null for the empty text. Only the quote, the backslash and
// control bytes are escaped; every other byte passes unchanged.
std::string jsonString(std::string_view utf8);

} // namespace TagJson
