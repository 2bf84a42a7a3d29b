#pragma once

#include "Lyrics.h"
#include "LyricsOrigin.h"

#include "Storage/FileLocation.h"

#include <optional>

// Lyrics found for a track and where they came from.
struct ResolvedLyrics
{
    Lyrics lyrics;
    LyricsOrigin origin = LyricsOrigin::None;
    // The file the lyrics were read from: a sidecar, or a file the user imported.
    std::optional<FileLocation> sourceURL;

    friend bool operator==(const ResolvedLyrics &, const ResolvedLyrics &) = default;
};
