#pragma once

#include "Storage/FileLocation.h"

#include <optional>

// Asks libavformat whether a file holds an audio stream it can read: the judge for files that
// TagLib cannot open or reports without length (TagLib opens random bytes named ".mp3" as an
// MPEG file of length 0).
namespace AudioStreamProbe {

// The length in seconds (0 when the container states none); nothing when the file holds no
// audio stream with a known sample rate and channel count. The caller makes sure that the path
// is a regular file: opening a FIFO would block.
std::optional<double> readableDuration(const FileLocation &file);

} // namespace AudioStreamProbe
