#include "BenchData.h"

#include "Library/IndexStore.h"
#include "UI/AppModel.h"
#include "UI/DesktopShell.h"
#include "UI/DialogPrompts.h"
#include "Views/SettingsSheet.h"

#include <QApplication>
#include <QMainWindow>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A drive that has gone away: every track of the library is missing.
constexpr int missingTrackCount = 10'000;

// Opening the settings sheet until it has painted once, over a library whose tracks are all
// missing. Target: 300 ms.
void BM_OpenSheetWithMissingTracks(benchmark::State &state)
{
    QTemporaryDir home;
    const FileLocation data = FileLocation::fromLocalFile(home.path());
    LibraryIndex index;
    index.tracks = BenchData::makeTracks(int(state.range(0)));
    for (Track &track : index.tracks) {
        track.url = FileLocation::fromLocalFile(home.path() + QStringLiteral("/Gone")).appending(track.url.fileName());
        track.isMissing = true;
    }
    if (!IndexStore(data).saveIndex(index)) {
        state.SkipWithError("cannot write the library");
        return;
    }
    AppModel model(data, AppModelEnvironment::system(std::make_shared<DialogPrompts>(), std::make_shared<DesktopShell>()));
    QMainWindow window;
    window.resize(900, 600);
    window.show();

    for (auto _ : state) {
        auto *sheet = new SettingsSheet(model, &window);
        sheet->show();
        benchmark::DoNotOptimize(sheet->grab());
        state.PauseTiming();
        sheet->close();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["missing"] = double(model.library().missingTracks().size());
}

BENCHMARK(BM_OpenSheetWithMissingTracks)->Arg(missingTrackCount)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
