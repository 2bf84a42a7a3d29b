#include "BenchData.h"
#include "Organize/FileOrganizer.h"

#include <benchmark/benchmark.h>

#include <QTemporaryDir>

namespace {

constexpr int libraryTrackCount = 100'000;

// Planning a whole library into an empty root: one render and one existence test per track.
void planLibrary(benchmark::State &state)
{
    const QList<Track> tracks = BenchData::makeTracks(libraryTrackCount);
    QTemporaryDir root;
    OrganizeUndoStore undo(FileLocation::fromLocalFile(root.filePath(QStringLiteral("undo"))), 50);
    const FileOrganizer organizer(undo);
    for (auto _ : state) {
        benchmark::DoNotOptimize(organizer.plan(tracks, QStringLiteral("{artist}/{album}/{track} {title}"),
            FileLocation::fromLocalFile(root.filePath(QStringLiteral("out")))));
    }
    state.SetItemsProcessed(state.iterations() * tracks.size());
}
BENCHMARK(planLibrary)->Unit(benchmark::kMillisecond);

// Every track renders to the same name: numbering must stay linear, not try 2, 3, ... each time.
void planOneName(benchmark::State &state)
{
    QList<Track> tracks = BenchData::makeTracks(int(state.range(0)));
    for (Track &track : tracks) {
        track.artist = QStringLiteral("周杰伦");
        track.title = QStringLiteral("七里香");
    }
    QTemporaryDir root;
    OrganizeUndoStore undo(FileLocation::fromLocalFile(root.filePath(QStringLiteral("undo"))), 50);
    const FileOrganizer organizer(undo);
    for (auto _ : state) {
        benchmark::DoNotOptimize(organizer.plan(tracks, QStringLiteral("{artist}/{title}"),
            FileLocation::fromLocalFile(root.filePath(QStringLiteral("out")))));
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(planOneName)
    ->RangeMultiplier(4)
    ->Range(1 << 10, 1 << 16)
    ->Complexity()
    ->Unit(benchmark::kMillisecond);

} // namespace
