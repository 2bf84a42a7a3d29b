#pragma once

#include "Lyrics.h"

#include <QStringView>

// LRC text to lyrics. Pure functions, safe on any thread.
namespace LRCParser {

// Lines with time tags ([mm:ss.xx]) become synchronised lines sorted by time; a text without any
// usable time tag gives its plain lines, unsynchronised. An [offset:±ms] tag makes the lyrics
// appear that much sooner (positive) or later (negative).
Lyrics parse(QStringView text);

// Any text as unsynchronised lines, with time, offset and metadata tags removed.
Lyrics parsePlainText(QStringView text);

} // namespace LRCParser
