#include "BenchData.h"
#include "Library/IndexStore.h"
#include "Settings/AppSettings.h"

#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A home whose data folder holds a library of `count` tracks in one folder, with a playlist of
// the first thousand and a saved position.
struct StartupHome
{
    explicit StartupHome(int count)
    {
        const QString data = home.path() + QStringLiteral("/data/Quillmere");
        QDir().mkpath(data);
        QDir().mkpath(home.path() + QStringLiteral("/music"));
        QList<Track> tracks = BenchData::makeTracks(count);
        IndexStore store(FileLocation::fromLocalFile(data));
        const bool saved = store.saveIndex(LibraryIndex{tracks, {FileLocation::fromLocalFile(home.path() + "/music")}})
                           && store.savePlaylists({Playlist{QUuid::createUuid(), QStringLiteral("常听"),
                                  [&] {
                                      QList<QUuid> ids;
                                      for (int i = 0; i < std::min(count, 1000); ++i)
                                          ids.append(tracks[i].id);
                                      return ids;
                                  }()}});
        AppSettings settings;
        settings.lastTrackID = tracks.first().id;
        settings.lastPosition = 42;
        valid = saved && store.saveSettings(settings).has_value();
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
        environment.insert(QStringLiteral("XDG_CACHE_HOME"), home.path() + QStringLiteral("/cache"));
        if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        // A bus of the benchmark's own would be needed to keep a running Quillmere out of the way;
        // without a session bus the single-instance guard steps aside.
        environment.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        return environment;
    }

    QTemporaryDir home;
    bool valid = false;
};

// From exec to the main window's first paint, on a library of range(0) tracks.
void startToFirstPaint(benchmark::State &state)
{
    StartupHome home(int(state.range(0)));
    if (!home.valid)
        return state.SkipWithError("could not write the library");
    double peakMegabytes = 0;
    double residentMegabytes = 0;
    for (auto _ : state) {
        QProcess probe;
        probe.setProcessEnvironment(home.environment());
        QElapsedTimer timer;
        timer.start();
        probe.start(QStringLiteral(QUILLMERE_STARTUP_PROBE), {});
        QByteArray line;
        while (!line.contains('\n') && probe.waitForReadyRead(30000))
            line += probe.readAllStandardOutput();
        const double seconds = timer.nsecsElapsed() / 1e9;
        probe.waitForFinished(10000);
        if (!line.startsWith("painted "))
            return state.SkipWithError("the probe did not paint");
        state.SetIterationTime(seconds);
        const QList<QByteArray> kilobytes = line.mid(8).trimmed().split(' ');
        peakMegabytes = std::max(peakMegabytes, kilobytes.value(0).toDouble() / 1024.0);
        residentMegabytes = std::max(residentMegabytes, kilobytes.value(1).toDouble() / 1024.0);
    }
    state.counters["peak_MB"] = peakMegabytes;
    // Resident at the first paint: what the library costs once started.
    state.counters["resident_MB"] = residentMegabytes;
}

BENCHMARK(startToFirstPaint)->Arg(50000)->Arg(100000)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
