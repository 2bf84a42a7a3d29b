#pragma once

#include "Storage/FileLocation.h"

#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <optional>

// Finds the user's ffmpeg and ffprobe executables: the saved choice first, then the fixed
// folders, then the search path of the environment.
namespace FFmpegLocator {

// An absolute path naming a regular file that this process may run.
bool isExecutableFile(const FileLocation &location);

// "/usr/local/bin", then "/opt/homebrew/bin".
const QStringList &defaultFixedDirectories();

// The ffmpeg executable: the trimmed `customPath` when it names one, else the first "ffmpeg" in
// `fixedDirectories` followed by the search path. A custom path that fails is passed over quietly.
std::optional<FileLocation> find(const std::optional<QString> &customPath,
                                 const QProcessEnvironment &environment,
                                 const QStringList &fixedDirectories = defaultFixedDirectories());

// The ffprobe that belongs to `ffmpeg`: the one beside it, else the first in `fixedDirectories`
// followed by the search path.
std::optional<FileLocation> ffprobe(const FileLocation &ffmpeg, const QProcessEnvironment &environment,
                                    const QStringList &fixedDirectories);

} // namespace FFmpegLocator
