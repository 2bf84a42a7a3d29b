#pragma once

#include "Storage/FileLocation.h"

#include <QImage>

// Reading a cover file of the library. Safe on any thread; never called on the GUI thread.
namespace CoverImageFile {

// The file's image scaled down while decoding so that it still covers a square of `pixelSide`
// pixels; null for a missing or unreadable file.
QImage decode(const FileLocation &file, int pixelSide);

} // namespace CoverImageFile
