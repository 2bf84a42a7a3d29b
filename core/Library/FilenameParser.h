#pragma once

#include "ParsedFilename.h"

#include <QString>
#include <QStringView>

// Guesses a title, an artist and a track number from a file name such as
// "03 - Artist - Title.flac". Pure and thread-safe.
namespace FilenameParser {

// The file name (extension included) read as: an optional leading track number of one to three
// ASCII digits and separators, then "Artist - Title" (the last " - " splits), else "Title-Artist"
// (the last "-" splits), else the title alone.
ParsedFilename parse(QStringView filename);

// The name without its last extension. A name whose only full stop leads it (".mp3") is all name.
QStringView deletingPathExtension(QStringView filename);

} // namespace FilenameParser
