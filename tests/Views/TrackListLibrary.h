#pragma once

#include "Storage/FileLocation.h"

#include "Models/Track.h"

#include <QList>

// A generated library for the track list's tests: mixed Chinese and Latin tracks, two in three
// with one of a few cover images, written into a data folder before the model loads it.
namespace TrackListLibrary {

// Tracks of files in `folder`.
QList<Track> makeTracks(const QString &folder, int count, int coverCount);
// Writes the tracks (with their folder) and the cover images they name into the data folder.
void seed(const FileLocation &dataFolder, const QList<Track> &tracks, int coverCount);
// Creates the tracks' files, so that none of them is missing.
void createFiles(const QList<Track> &tracks);

} // namespace TrackListLibrary
