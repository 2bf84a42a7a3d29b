#pragma once

#include "GuiSupport/SeededDataFolder.h"
#include "Models/Track.h"

#include <QList>
#include <QString>

// Tracks of the organizer sheet's tests: records of real files, written into the seeded library
// before the model is built.
namespace OrganizerTracks {

Track track(const QString &path, const QString &artist, const QString &album, const QString &title, int number);
// Replaces the seeded library's tracks and folders.
void seed(const SeededDataFolder &home, const QList<Track> &tracks, const QList<FileLocation> &folders);
// Writes a small file with bytes of its own at the track's location.
void writeFile(const Track &track);
QByteArray contents(const FileLocation &file);

} // namespace OrganizerTracks
