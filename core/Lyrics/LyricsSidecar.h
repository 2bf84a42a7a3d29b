#pragma once

#include "Models/Track.h"
#include "Storage/FileOperations.h"

#include <optional>

// Finds the LRC file that the user keeps beside an audio file.
namespace LyricsSidecar {

// The regular file "*.lrc" (any case) in the audio file's folder whose name matches the audio
// file's name ignoring case, width and white space (score 2), or, failing that, once bracketed
// parts such as "(Live)" are removed from both names (score 1). Hidden files and sub-folders are
// never candidates. Ties go to the first name in code-point order. Reads no file contents.
std::optional<FileLocation> find(const Track &track, FileOperations &files = FileOperations::system());

} // namespace LyricsSidecar
