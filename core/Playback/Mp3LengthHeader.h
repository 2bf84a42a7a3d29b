#pragma once

#include "Storage/FileLocation.h"

#include <QtGlobal>

#include <optional>

// The length an MP3 states in the Xing/Info or VBRI header of its first frame, as decoded frames
// (encoder delay and padding from a LAME tag taken off), so that a long file needs no count.
namespace Mp3LengthHeader {

// None when the file has no such header.
std::optional<qint64> decodedFrames(const FileLocation &file);

} // namespace Mp3LengthHeader
