#pragma once

#include <QString>

#include <optional>

// FFmpeg's libraries, loaded when first used rather than when the program starts: with the codec
// libraries they pull in they are close to a hundred shared objects, which a start-up that plays
// nothing and finds every file readable by TagLib never needs. The libav functions the program
// calls are defined in FFmpegEntryPoints.cpp and forward to the loaded libraries, so callers use
// libav as declared in its headers. Thread-safe.
namespace FFmpegLibrary {

enum class Part { Util, SoftwareResample, Codec, Format };

// Loads the libraries on the first call. Call before any libav function: the reason they could
// not be loaded, or nothing once they are.
std::optional<QString> loadError();
// The address of a function of a loaded library; ends the program when the libraries are missing,
// which a caller that checked loadError() never meets.
void *function(Part part, const char *name);

} // namespace FFmpegLibrary
