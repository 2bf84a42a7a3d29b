#pragma once

#include "Storage/FileLocation.h"

#include <QImage>
#include <QImageReader>

#include <functional>

// Reads a cover image file, opened by its raw path bytes (names need not be UTF-8), turned as its
// metadata says. `prepare` sets up the reader (a scaled size, say) and may refuse by returning false.
namespace CoverFile {

QImage read(const FileLocation &file, const std::function<bool(QImageReader &)> &prepare);

} // namespace CoverFile
