#include "BenchData.h"
#include "Library/LibraryMerge.h"
#include "Library/LibraryStore.h"
#include "Library/TagLibMetadataReader.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFutureWatcher>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

// A tree of `count` small audio files, 100 per folder, made once per process from one ffmpeg tone.
const QString &musicTree(int count)
{
    static QHash<int, QString> trees;
    static QList<QTemporaryDir *> folders;
    if (trees.contains(count))
        return trees[count];
    auto *dir = new QTemporaryDir;
    folders.append(dir);
    const QString sample = dir->filePath(QStringLiteral("sample.mp3"));
    QProcess::execute(QStringLiteral("ffmpeg"),
                      {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"), QStringLiteral("lavfi"),
                       QStringLiteral("-i"), QStringLiteral("sine=duration=1"), QStringLiteral("-metadata"),
                       QStringLiteral("title=晴天"), QStringLiteral("-metadata"), QStringLiteral("artist=周杰伦"), sample});
    const QString root = dir->filePath(QStringLiteral("music"));
    for (int i = 0; i < count; ++i) {
        const QString folder = root + QStringLiteral("/album%1").arg(i / 100);
        if (i % 100 == 0)
            QDir().mkpath(folder);
        QFile::copy(sample, folder + QStringLiteral("/%1 - track.mp3").arg(i));
    }
    trees.insert(count, root);
    return trees[count];
}

void wait(QFuture<void> future)
{
    QFutureWatcher<void> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(future);
    if (!future.isFinished())
        loop.exec();
}

void firstImport(benchmark::State &state)
{
    const FileLocation music = FileLocation::fromLocalFile(musicTree(int(state.range(0))));
    auto reader = std::make_shared<TagLibMetadataReader>();
    for (auto _ : state) {
        state.PauseTiming();
        QTemporaryDir data;
        LibraryStore store(FileLocation::fromLocalFile(data.path()));
        state.ResumeTiming();
        wait(store.addFolder(music, reader));
        if (store.index().tracks.size() != state.range(0))
            state.SkipWithError("not every file was imported");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void rescanUnchanged(benchmark::State &state)
{
    const FileLocation music = FileLocation::fromLocalFile(musicTree(int(state.range(0))));
    auto reader = std::make_shared<TagLibMetadataReader>();
    QTemporaryDir data;
    LibraryStore store(FileLocation::fromLocalFile(data.path()));
    wait(store.addFolder(music, reader));
    for (auto _ : state)
        wait(store.rescan(reader));
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void mergeUnchanged(benchmark::State &state)
{
    const QList<Track> library = BenchData::makeTracks(int(state.range(0)));
    ScanResult scan;
    for (const Track &track : library) {
        Track found = track;
        found.id = QUuid::createUuid();
        scan.tracks.append(found);
    }
    const QList<FileLocation> folders{FileLocation::fromPath("/home/user/音乐")};
    for (auto _ : state) {
        const LibraryMerge::Plan plan = LibraryMerge::plan(library, scan, folders, false, {});
        benchmark::DoNotOptimize(LibraryMerge::finish(plan, library));
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

} // namespace

BENCHMARK(firstImport)->Arg(10'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(rescanUnchanged)->Arg(10'000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(mergeUnchanged)->Arg(100'000)->Unit(benchmark::kMillisecond);
