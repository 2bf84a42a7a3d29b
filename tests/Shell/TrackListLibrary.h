#pragma once

#include "Storage/FileLocation.h"

#include "Models/Track.h"

#include <QList>

// A generated library for the track list's tests: mixed Chinese and Latin tracks, every second
// one with one of a few cover images, written into a data folder before the model loads it.
namespace TrackListLibrary {

QList<Track> makeTracks(int count, int coverCount);
// Writes the tracks (under one folder) and the cover images they name into the data folder.
void seed(const FileLocation &dataFolder, const QList<Track> &tracks, int coverCount);

} // namespace TrackListLibrary
