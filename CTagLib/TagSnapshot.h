#pragma once

#include <optional>
#include <string>

// What one audio file holds, read through TagLib in one pass. The tag bridge turns it into its
// JSON text; the library's metadata reader applies its own rules to it. Texts are UTF-8; an empty
// text or a 0 number means the tag has no value.
struct TagSnapshot
{
    std::string title;
    std::string artist;
    std::string album;
    std::string albumArtist;
    std::string genre;
    unsigned year = 0;
    unsigned trackNumber = 0;
    // The year and track number as the tag spells them ("2003-05-01", "3/12"), for readers
    // with number rules of their own.
    std::string yearText;
    std::string trackNumberText;
    // The genre as stored: a genre number ("18") stays a number.
    std::string genreText;
    std::string cover; // the first non-empty embedded picture, as stored
    // Length in seconds; nothing when TagLib found no audio properties.
    std::optional<double> duration;

    // Nothing when the path is not a regular file in a format TagLib knows. Never throws: a
    // hostile file gives nothing.
    static std::optional<TagSnapshot> read(const char *path) noexcept;
};
