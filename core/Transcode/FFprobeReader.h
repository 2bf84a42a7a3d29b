#pragma once

#include "Storage/FileLocation.h"

#include <QProcessEnvironment>

#include <optional>

// Reads an audio file's duration with the ffprobe that belongs to the located ffmpeg.
struct FFprobeReader
{
    // The duration in seconds: a finite number greater than 0, or nothing for every failure
    // (no ffprobe, launch failure, non-zero exit, output that is not one number, more than a
    // minute without an answer). Blocks until ffprobe has ended; call it off the GUI thread.
    static std::optional<double> duration(const FileLocation &file, const FileLocation &ffmpeg,
                                          const QProcessEnvironment &environment);
};
