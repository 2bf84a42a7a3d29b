#include "AppModel.h"
#include "BenchData.h"
#include "LibraryBrowser.h"
#include "SidebarCounts.h"

#include "Library/IndexStore.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int libraryTrackCount = 100'000;

const QList<Track> &library()
{
    static const QList<Track> tracks = BenchData::makeTracks(libraryTrackCount);
    return tracks;
}

// 20 sidebar folders: every artist's folder and the first albums' folders.
const QList<FileLocation> &folders()
{
    static const QList<FileLocation> list = [] {
        QList<FileLocation> made;
        for (const Track &track : library()) {
            for (const FileLocation &folder :
                 {track.url.deletingLastPathComponent().deletingLastPathComponent(), track.url.deletingLastPathComponent()}) {
                if (made.size() < 20 && !made.contains(folder))
                    made.append(folder);
            }
        }
        return made;
    }();
    return list;
}

const QList<Playlist> noPlaylists;

// A browser that has shown all music once, sorted by title.
LibraryBrowser &warmBrowser(BrowseState &state)
{
    static LibraryBrowser browser;
    static bool warm = false;
    if (!warm) {
        browser.visibleTracks(library(), 1, noPlaylists, 1, state);
        warm = true;
    }
    return browser;
}

// Typing into the search field: each keystroke filters the kept sorted list. The text alternates
// with itself plus a space, which searches the same but counts as a new keystroke.
const QStringList keystrokes{u"c"_qs, u"ca"_qs, u"cafe"_qs, u"night 12"_qs, u"周"_qs, u"周杰伦"_qs, u"七里香"_qs, u"flac"_qs};

void visibleListKeystroke(benchmark::State &state)
{
    const QString text = keystrokes.at(state.range(0));
    state.SetLabel(text.toStdString());
    BrowseState browse;
    LibraryBrowser &browser = warmBrowser(browse);
    bool flip = false;
    qsizetype shown = 0;
    for (auto _ : state) {
        browse.searchText = (flip = !flip) ? text : text + u' ';
        shown = browser.visibleTracks(library(), 1, noPlaylists, 1, browse).size();
    }
    state.counters["shown"] = double(shown);
}
BENCHMARK(visibleListKeystroke)->DenseRange(0, 7)->Unit(benchmark::kMillisecond);

// A header click: the whole library sorted again (search kept).
void visibleListSortChange(benchmark::State &state)
{
    BrowseState browse;
    browse.searchText = u"a"_qs;
    LibraryBrowser &browser = warmBrowser(browse);
    bool flip = false;
    for (auto _ : state) {
        browse.sort = (flip = !flip) ? TrackSort::Artist : TrackSort::Title;
        benchmark::DoNotOptimize(browser.visibleTracks(library(), 1, noPlaylists, 1, browse).size());
    }
}
BENCHMARK(visibleListSortChange)->Unit(benchmark::kMillisecond);

// Sidebar clicks from one folder to the next, each one new to the browser.
void visibleListSelectionChange(benchmark::State &state)
{
    BrowseState browse;
    LibraryBrowser &browser = warmBrowser(browse);
    qsizetype next = 0;
    for (auto _ : state) {
        browse.selection = LibrarySelection::folder(folders().at(next++ % folders().size()));
        benchmark::DoNotOptimize(browser.visibleTracks(library(), 1, noPlaylists, 1, browse).size());
    }
}
BENCHMARK(visibleListSelectionChange)->Unit(benchmark::kMillisecond);

void visibleListReadUnchanged(benchmark::State &state)
{
    BrowseState browse;
    browse.searchText = u"周"_qs;
    LibraryBrowser &browser = warmBrowser(browse);
    for (auto _ : state)
        benchmark::DoNotOptimize(browser.visibleTracks(library(), 1, noPlaylists, 1, browse).size());
}
BENCHMARK(visibleListReadUnchanged)->Unit(benchmark::kNanosecond);

// The counts beside 20 folders after the library changed, then read for free.
void sidebarFolderCountsRebuild(benchmark::State &state)
{
    SidebarCounts counts; // its own paths: every revision standardises the whole library again
    quint64 revision = 0;
    for (auto _ : state) {
        ++revision;
        for (const FileLocation &folder : folders())
            benchmark::DoNotOptimize(counts.trackCount(library(), revision, folders(), folder));
    }
}
BENCHMARK(sidebarFolderCountsRebuild)->Unit(benchmark::kMillisecond);

void sidebarFolderCountsRead(benchmark::State &state)
{
    SidebarCounts counts;
    counts.trackCount(library(), 1, folders(), folders().first());
    for (auto _ : state) {
        for (const FileLocation &folder : folders())
            benchmark::DoNotOptimize(counts.trackCount(library(), 1, folders(), folder));
    }
}
BENCHMARK(sidebarFolderCountsRead)->Unit(benchmark::kNanosecond);

// A data folder with 100k tracks, a 50k-track queue and the last track in it.
struct SavedLibrary
{
    SavedLibrary()
    {
        directory = FileLocation::fromLocalFile(temporary.path());
        IndexStore store(directory);
        (void)store.saveIndex(LibraryIndex{library(), folders()});
        AppSettings settings;
        for (qsizetype i = 0; i < 50'000; ++i)
            settings.lastQueue.append(library().at(i * 2).id);
        settings.lastTrackID = library().at(500).id;
        settings.lastPosition = 42;
        (void)store.saveSettings(settings);
    }
    QTemporaryDir temporary;
    FileLocation directory;
};

SavedLibrary &savedLibrary()
{
    static SavedLibrary saved;
    return saved;
}

AppModelEnvironment benchEnvironment()
{
    return AppModelEnvironment::system(nullptr, nullptr);
}

// Construction: the stores load, the queue and current track are restored.
void modelConstruction(benchmark::State &state)
{
    SavedLibrary &saved = savedLibrary();
    for (auto _ : state) {
        auto model = std::make_unique<AppModel>(saved.directory, benchEnvironment());
        benchmark::DoNotOptimize(model->queue().trackIDs().size());
        state.PauseTiming(); // the saves it leaves behind are not construction
        model.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(modelConstruction)->Unit(benchmark::kMillisecond)->Iterations(5);

// What saving the playback state costs the GUI thread with a 50k queue: the snapshot only.
void savePlaybackStateOnTheGuiThread(benchmark::State &state)
{
    AppModel model(savedLibrary().directory, benchEnvironment());
    for (auto _ : state)
        model.savePlaybackState();
    model.flushPendingSaves();
}
BENCHMARK(savePlaybackStateOnTheGuiThread)->Unit(benchmark::kMicrosecond);

// The write itself, on the writer's thread: encoding and the safe-write scheme.
void settingsWriteWithLargeQueue(benchmark::State &state)
{
    AppModel model(savedLibrary().directory, benchEnvironment());
    model.flushPendingSaves();
    for (auto _ : state) {
        model.savePlaybackState();
        model.flushPendingSaves();
    }
}
BENCHMARK(settingsWriteWithLargeQueue)->Unit(benchmark::kMillisecond);

} // namespace
