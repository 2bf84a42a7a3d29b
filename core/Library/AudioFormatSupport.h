#pragma once

#include "Storage/FileLocation.h"

#include <QSet>
#include <QString>

// The two families of audio formats. Native formats are decoded directly and their metadata is
// read at scan time; fallback formats are imported from the file name alone and played through
// the transcoding cache.
namespace AudioFormatSupport {

// Lower-case extensions without the dot.
const QSet<QString> &nativeExtensions();
const QSet<QString> &fallbackExtensions();
const QSet<QString> &supportedExtensions();

// True when the location's extension, lower-cased, names a native format. Touches no file.
bool isNative(const FileLocation &url);
bool isSupported(const FileLocation &url);

} // namespace AudioFormatSupport
