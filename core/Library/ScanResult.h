#pragma once

#include "Models/Track.h"
#include "Storage/FileLocation.h"

#include <QList>
#include <QSet>

// What a scan found, in path order: one track per file that produced one, and the native-format
// files whose metadata could not be read. The covers themselves are not kept (a first import of a
// large library would hold gigabytes); only which read files carry one, so that covers are read
// again for those files alone.
struct ScanResult
{
    QList<Track> tracks;
    QList<FileLocation> unreadable;
    QSet<QByteArray> artworkPaths; // standardised paths of read files with an embedded cover
};
