#include "BenchData.h"
#include "Library/IndexStore.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

LibraryIndex libraryOf(int count)
{
    return LibraryIndex{BenchData::makeTracks(count), {FileLocation::fromPath("/home/user/音乐")}};
}

void saveLibrary(benchmark::State &state)
{
    QTemporaryDir dir;
    IndexStore store(FileLocation::fromLocalFile(dir.path()));
    const LibraryIndex index = libraryOf(int(state.range(0)));
    if (!store.saveIndex(index)) // later saves also check and back up the existing file
        state.SkipWithError("first save failed");
    for (auto _ : state) {
        if (!store.saveIndex(index))
            state.SkipWithError("save failed");
    }
}

void loadLibrary(benchmark::State &state)
{
    QTemporaryDir dir;
    IndexStore store(FileLocation::fromLocalFile(dir.path()));
    if (!store.saveIndex(libraryOf(int(state.range(0)))))
        state.SkipWithError("save failed");
    for (auto _ : state) {
        const LibraryIndex loaded = store.loadIndex();
        if (loaded.tracks.size() != state.range(0))
            state.SkipWithError("load failed");
        benchmark::DoNotOptimize(loaded);
    }
}

} // namespace

BENCHMARK(saveLibrary)->Arg(10'000)->Arg(50'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
BENCHMARK(loadLibrary)->Arg(10'000)->Arg(50'000)->Arg(100'000)->Unit(benchmark::kMillisecond);
