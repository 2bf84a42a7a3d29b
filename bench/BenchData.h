#pragma once

#include "Models/Track.h"

#include <QList>

// Realistic library data for benchmarks: mixed Chinese and Latin tags, deterministic.
namespace BenchData {

QList<Track> makeTracks(int count, quint32 seed = 42);

} // namespace BenchData
