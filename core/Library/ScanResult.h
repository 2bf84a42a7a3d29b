#pragma once

#include "Models/Track.h"
#include "Storage/FileLocation.h"

#include <QList>

// What a scan found, in path order: one track per file that produced one, and the native-format
// files whose metadata could not be read.
struct ScanResult
{
    QList<Track> tracks;
    QList<FileLocation> unreadable;
};
