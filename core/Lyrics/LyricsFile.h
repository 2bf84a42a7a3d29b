#pragma once

#include "Storage/FileOperations.h"

#include <QByteArray>
#include <QString>

#include <optional>

// Reading lyrics files: overrides, cache entries and sidecar LRC files.
namespace LyricsFile {

// Real lyrics files are kilobytes; anything larger counts as unreadable.
inline constexpr qint64 maximumSize = 8 * 1024 * 1024;

// The whole regular file, at most maximumSize bytes; none when it cannot be read. Never blocks
// on a FIFO.
std::optional<QByteArray> read(FileOperations &files, const FileLocation &file);

// The text by the rule file names share (TextDecoding); none when no decoding is clean.
std::optional<QString> decodeText(const QByteArray &bytes);

} // namespace LyricsFile
