#include "BenchData.h"
#include "Library/LibraryStore.h"

#include <QEventLoop>
#include <QFile>
#include <QFutureWatcher>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <atomic>

namespace {

// Start-up of a library in which some percent of the titles were stored garbled: the load
// repairs them and writes the library once (a clean library is not written).
void loadWithGarbledTitles(benchmark::State &state)
{
    QTemporaryDir dir;
    const FileLocation folder = FileLocation::fromLocalFile(dir.path());
    QList<Track> tracks = BenchData::makeTracks(int(state.range(0)));
    QStringEncoder utf8(QStringConverter::Utf8);
    QStringDecoder windows1252("windows-1252");
    const qsizetype garbledPercent = state.range(1);
    for (qsizetype i = 0; garbledPercent > 0 && i < tracks.size(); i += 100 / garbledPercent)
        tracks[i].title = windows1252.decode(utf8.encode(tracks[i].title));
    IndexStore setup(folder);
    if (!setup.saveIndex(LibraryIndex{tracks, {FileLocation::fromPath("/home/user/音乐")}}))
        state.SkipWithError("save failed");
    const FileLocation library = setup.fileLocation(IndexStore::libraryFileName);
    const QByteArray garbledFile = FileOperations::system().readAll(library).value_or(QByteArray());

    for (auto _ : state) {
        state.PauseTiming();
        if (!FileOperations::system().writeAtomically(library, garbledFile))
            state.SkipWithError("restore failed");
        state.ResumeTiming();
        LibraryStore store(folder);
        store.load();
        if (store.lastError() || store.index().tracks.size() != tracks.size())
            state.SkipWithError("load failed");
    }
}

// Peak resident memory above the start, in MB; "5" resets the kernel's high-water mark.
class PeakMemory
{
public:
    PeakMemory()
    {
        QFile clear(QStringLiteral("/proc/self/clear_refs"));
        if (clear.open(QIODevice::WriteOnly))
            clear.write("5");
        m_start = field("VmRSS:");
    }
    double megabytesAboveStart() const { return double(field("VmHWM:") - m_start) / 1024.0; }

private:
    static qint64 field(const char *name)
    {
        QFile status(QStringLiteral("/proc/self/status"));
        if (!status.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith(name))
                return line.mid(qstrlen(name)).trimmed().split(' ').value(0).toLongLong();
        }
        return 0;
    }

    qint64 m_start = 0;
};

// Every file has a fresh 1 MB cover, as a first import of an album collection with large art.
class LargeCoverReader final : public MetadataReading
{
public:
    std::optional<AudioMetadata> read(const FileLocation &) const override
    {
        AudioMetadata metadata;
        metadata.duration = 200;
        metadata.artworkData = QByteArray(1 << 20, 'c');
        return metadata;
    }
};

void coverFetchPeakMemory(benchmark::State &state)
{
    QTemporaryDir dir;
    LibraryStore store(FileLocation::fromLocalFile(dir.path()));
    const QList<Track> tracks = BenchData::makeTracks(int(state.range(0)));
    const auto reader = std::make_shared<LargeCoverReader>();
    double peak = 0;
    for (auto _ : state) {
        const PeakMemory memory;
        qint64 covers = 0;
        QFutureWatcher<void> watcher;
        QEventLoop loop;
        QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
        watcher.setFuture(store.artworkData(tracks, reader, [&](const FileLocation &, const QByteArray &cover) {
            covers += cover.size();
        }));
        loop.exec();
        if (covers != qint64(tracks.size()) << 20)
            state.SkipWithError("covers missing");
        peak = std::max(peak, memory.megabytesAboveStart());
    }
    state.counters["peak_MB"] = peak;
    state.counters["covers_MB"] = double(tracks.size());
}

} // namespace

BENCHMARK(loadWithGarbledTitles)
    ->ArgNames({"tracks", "garbledPercent"})
    ->Args({100'000, 5})
    ->Args({100'000, 0})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(coverFetchPeakMemory)->Arg(200)->Arg(2'000)->Unit(benchmark::kMillisecond)->Iterations(3);
