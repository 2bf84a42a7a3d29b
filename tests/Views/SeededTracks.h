#pragma once

#include "GuiSupport/SeededDataFolder.h"

#include <QImage>

// Changes to the seeded library for the player bar's and the sidebar's tests, made before the
// model is built.
namespace SeededTracks {

inline constexpr char firstTrackID[] = "6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A01";

// Gives every seeded track an (empty) audio file, so that playing one starts the engine.
void createAudioFiles(const SeededDataFolder &home);
// The first track ("晴天", the saved current track) with another stored length.
void setFirstTrackDuration(const SeededDataFolder &home, double seconds);
// The first track with a cover file in the data folder's covers folder: a warm-to-violet gradient.
void setFirstTrackCover(const SeededDataFolder &home);

} // namespace SeededTracks
