#include "BenchData.h"
#include "Library/TrackQuery.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

constexpr int libraryTrackCount = 100'000;

const QList<Track> &library()
{
    static const QList<Track> tracks = BenchData::makeTracks(libraryTrackCount);
    return tracks;
}

// A query whose caches are already built, as they are once the library has been shown.
TrackQuery &warmQuery()
{
    struct Warm
    {
        Warm() { query.apply(library(), {}, TrackSort::Title, true); }
        TrackQuery query;
    };
    static Warm warm;
    return warm.query;
}

// Keystrokes as a user types them, from one letter to a full word, Latin and Chinese.
const QStringList keystrokes{u"c"_qs, u"ca"_qs, u"cafe"_qs, u"night 12"_qs, u"周"_qs, u"周杰伦"_qs, u"七里香"_qs, u"flac"_qs};

void buildCaches(benchmark::State &state)
{
    library();
    for (auto _ : state) {
        auto query = std::make_unique<TrackQuery>();
        benchmark::DoNotOptimize(query->apply(library(), u"cafe"_qs, TrackSort::Title, true));
        state.PauseTiming(); // tearing down is not building
        query.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(buildCaches)->Unit(benchmark::kMillisecond);

void filterKeystroke(benchmark::State &state)
{
    const QString &text = keystrokes.at(state.range(0));
    state.SetLabel(text.toStdString());
    TrackQuery &query = warmQuery();
    qsizetype found = 0;
    for (auto _ : state)
        found = query.filter(library(), text).size();
    state.counters["matches"] = double(found);
}
BENCHMARK(filterKeystroke)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

void sortAll(benchmark::State &state)
{
    const TrackSort sort = allTrackSorts.at(state.range(0));
    const bool ascending = state.range(1) != 0;
    state.SetLabel(trackSortName(sort).toStdString() + (ascending ? " ascending" : " descending"));
    TrackQuery &query = warmQuery();
    for (auto _ : state)
        benchmark::DoNotOptimize(query.apply(library(), {}, sort, ascending));
}
BENCHMARK(sortAll)->ArgsProduct({{0, 1, 2, 3, 4}, {1, 0}})->Unit(benchmark::kMillisecond);

// A tag edit changes one track: the list is new, the other tracks keep their keys. Argument 1:
// a search is shown, which runs over the new list's text.
void afterOneEdit(benchmark::State &state)
{
    const QString search = state.range(0) != 0 ? u"cafe"_qs : QString();
    state.SetLabel(search.isEmpty() ? "no search" : "while searching");
    TrackQuery &query = warmQuery();
    int edits = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QList<Track> edited = library();
        edited[edits % libraryTrackCount].title += u" (Live)"_qs;
        ++edits;
        state.ResumeTiming();
        benchmark::DoNotOptimize(query.apply(edited, search, TrackSort::Title, true));
    }
}
BENCHMARK(afterOneEdit)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void filterAndSort(benchmark::State &state)
{
    TrackQuery &query = warmQuery();
    for (auto _ : state)
        benchmark::DoNotOptimize(query.apply(library(), u"周"_qs, TrackSort::Artist, true));
}
BENCHMARK(filterAndSort)->Unit(benchmark::kMillisecond);

} // namespace
