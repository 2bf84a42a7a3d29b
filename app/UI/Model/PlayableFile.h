#pragma once

#include "Transcoding.h"

#include "Models/Track.h"
#include "Storage/FileLocation.h"

#include <optional>

// Which file the engine plays for a track without converting anything: the track's own file for a
// format the engine decodes, otherwise its cached conversion, when there is one.
namespace PlayableFile {

std::optional<FileLocation> forTrack(const Track &track, const Transcoding &transcoding);

} // namespace PlayableFile
