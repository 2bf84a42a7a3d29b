#include "Library/LibraryStore.h"
#include "Library/TagLibMetadataReader.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFutureWatcher>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QtConcurrent/QtConcurrentMap>

#include <taglib/fileref.h>
#include <taglib/tag.h>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <sys/resource.h>

// The first import and the rescan of a generated library of small tagged files in mixed formats
// (MP3, AAC in MP4, FLAC; half the albums with an embedded cover), the whole addFolder path with
// covers and the save, on a warm cache. Beside the times: the process's peak and final resident
// memory, the longest the GUI thread went without running its event loop, and the floor that
// TagLib alone sets (every file opened with tags and audio properties on eight threads).
// The corpus is made once and kept in the temporary folder for later runs.
namespace {

constexpr int albums = 60;

QString ffmpegAlbum(const QString &folder, int album, const QString &format, const QString &cover)
{
    const QString file = folder + QStringLiteral("/album%1.%2").arg(album).arg(format);
    const bool withCover = album % 2 == 0 && format != QLatin1String("m4a");
    QStringList arguments{QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-y"),
                          QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                          QStringLiteral("sine=frequency=%1:duration=0.5").arg(300 + album)};
    if (withCover)
        arguments << QStringLiteral("-i") << cover << QStringLiteral("-map") << QStringLiteral("0") << QStringLiteral("-map")
                  << QStringLiteral("1") << QStringLiteral("-c:v") << QStringLiteral("copy")
                  << QStringLiteral("-disposition:v") << QStringLiteral("attached_pic");
    if (format == QLatin1String("mp3"))
        arguments << QStringLiteral("-id3v2_version") << QStringLiteral("3");
    const bool chinese = album % 3 != 0;
    arguments << QStringLiteral("-metadata")
              << (chinese ? QStringLiteral("title=晴天 %1").arg(album) : QStringLiteral("title=Blue in Green %1").arg(album))
              << QStringLiteral("-metadata")
              << (chinese ? QStringLiteral("artist=周杰伦 %1").arg(album % 20) : QStringLiteral("artist=Bill Evans %1").arg(album % 20))
              << QStringLiteral("-metadata") << QStringLiteral("album=专辑 %1").arg(album) << QStringLiteral("-metadata")
              << QStringLiteral("album_artist=群星") << QStringLiteral("-metadata")
              << QStringLiteral("genre=%1").arg(chinese ? QStringLiteral("流行") : QStringLiteral("Jazz"))
              << QStringLiteral("-metadata") << QStringLiteral("date=%1").arg(1990 + album % 30) << QStringLiteral("-metadata")
              << QStringLiteral("track=%1").arg(album % 12 + 1) << file;
    QProcess::execute(QStringLiteral("ffmpeg"), arguments);
    return file;
}

// `count` files, 100 per folder, copied from 180 tagged samples; made once and kept.
QString corpus(int count)
{
    const QString root = QDir::tempPath() + QStringLiteral("/quillmere-import-corpus-%1").arg(count);
    if (QFile::exists(root + QStringLiteral("/complete")))
        return root + QStringLiteral("/music");
    QDir(root).removeRecursively();
    const QString samples = root + QStringLiteral("/samples");
    QDir().mkpath(samples);
    const QString cover = samples + QStringLiteral("/cover.jpg");
    QProcess::execute(QStringLiteral("ffmpeg"), {QStringLiteral("-loglevel"), QStringLiteral("error"), QStringLiteral("-f"),
                                                 QStringLiteral("lavfi"), QStringLiteral("-i"),
                                                 QStringLiteral("testsrc=size=300x300"), QStringLiteral("-frames:v"),
                                                 QStringLiteral("1"), cover});
    const QStringList formats{QStringLiteral("mp3"), QStringLiteral("m4a"), QStringLiteral("flac")};
    QList<std::pair<int, QString>> jobs;
    for (int album = 0; album < albums; ++album)
        for (const QString &format : formats)
            jobs.append({album, format});
    QThreadPool pool;
    pool.setMaxThreadCount(4);
    const QStringList sampleFiles = QtConcurrent::blockingMapped<QStringList>(
        &pool, jobs, [&](const std::pair<int, QString> &job) { return ffmpegAlbum(samples, job.first, job.second, cover); });
    const QString music = root + QStringLiteral("/music");
    for (int i = 0; i < count; ++i) {
        const QString folder = music + QStringLiteral("/folder%1").arg(i / 100);
        if (i % 100 == 0)
            QDir().mkpath(folder);
        const QString &sample = sampleFiles.at(i % sampleFiles.size());
        QFile::copy(sample, folder + QStringLiteral("/%1 - track.%2").arg(i).arg(QFileInfo(sample).suffix()));
    }
    QFile marker(root + QStringLiteral("/complete"));
    marker.open(QIODevice::WriteOnly);
    return music;
}

QStringList filesBelow(const QString &root)
{
    QStringList files;
    for (const QString &folder : QDir(root).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        for (const QString &name : QDir(root + u'/' + folder).entryList(QDir::Files))
            files.append(root + u'/' + folder + u'/' + name);
    return files;
}

qint64 statusField(const char *name)
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

// CPU time of the whole process (all threads, user and system), in milliseconds: the work done,
// which a loaded machine stretches less than the wall-clock time.
double processCpuMilliseconds()
{
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &time) { return double(time.tv_sec) * 1e3 + double(time.tv_usec) / 1e3; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

void resetPeakMemory()
{
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

// Waits for the future on the event loop and gives the longest gap between two turns of a
// 1 ms timer, in milliseconds: how long the GUI thread was kept from its events.
double waitMeasuringStall(QFuture<void> future)
{
    QFutureWatcher<void> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    QTimer ticks;
    ticks.setTimerType(Qt::PreciseTimer);
    ticks.setInterval(1);
    QObject::connect(&ticks, &QTimer::timeout, [&] {
        longest = std::max(longest, sinceTick.nsecsElapsed());
        sinceTick.restart();
    });
    sinceTick.start();
    ticks.start();
    watcher.setFuture(future);
    if (!future.isFinished())
        loop.exec();
    longest = std::max(longest, sinceTick.nsecsElapsed());
    return double(longest) / 1e6;
}

void firstImport(benchmark::State &state)
{
    const int count = int(state.range(0));
    const FileLocation music = FileLocation::fromLocalFile(corpus(count));
    auto reader = std::make_shared<TagLibMetadataReader>();
    double stall = 0, peak = 0, after = 0, cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto data = std::make_unique<QTemporaryDir>();
        auto store = std::make_unique<LibraryStore>(FileLocation::fromLocalFile(data->path()));
        malloc_trim(0);
        resetPeakMemory();
        const double cpuBefore = processCpuMilliseconds();
        state.ResumeTiming();
        stall = std::max(stall, waitMeasuringStall(store->addFolder(music, reader)));
        state.PauseTiming();
        cpu = processCpuMilliseconds() - cpuBefore;
        peak = std::max(peak, double(statusField("VmHWM:")) / 1024);
        after = double(statusField("VmRSS:")) / 1024;
        if (store->index().tracks.size() != count || store->lastError())
            state.SkipWithError("not every file was imported");
        store.reset();
        data.reset();
        state.ResumeTiming();
    }
    state.counters["longest_stall_ms"] = stall;
    state.counters["peak_RSS_MB"] = peak;
    state.counters["after_RSS_MB"] = after;
    state.counters["all_threads_cpu_ms"] = cpu;
    state.SetItemsProcessed(state.iterations() * count);
}

void rescanUnchanged(benchmark::State &state)
{
    const int count = int(state.range(0));
    const FileLocation music = FileLocation::fromLocalFile(corpus(count));
    auto reader = std::make_shared<TagLibMetadataReader>();
    QTemporaryDir data;
    LibraryStore store(FileLocation::fromLocalFile(data.path()));
    waitMeasuringStall(store.addFolder(music, reader));
    double stall = 0;
    const double cpuBefore = processCpuMilliseconds();
    for (auto _ : state)
        stall = std::max(stall, waitMeasuringStall(store.rescan(reader)));
    state.counters["all_threads_cpu_ms"] = (processCpuMilliseconds() - cpuBefore) / double(state.iterations());
    if (store.index().tracks.size() != count)
        state.SkipWithError("tracks lost");
    state.counters["longest_stall_ms"] = stall;
    state.SetItemsProcessed(state.iterations() * count);
}

// TagLib alone: every file opened through its own file stream with tags and audio properties, on
// eight threads. No import can be faster than this.
void taglibReadFloor(benchmark::State &state)
{
    const QStringList files = filesBelow(corpus(int(state.range(0))));
    QThreadPool pool;
    pool.setMaxThreadCount(8);
    double cpu = 0;
    for (auto _ : state) {
        const double cpuBefore = processCpuMilliseconds();
        std::atomic<qint64> titles = 0;
        QtConcurrent::blockingMap(&pool, files, [&](const QString &file) {
            const QByteArray path = QFile::encodeName(file);
            const TagLib::FileRef ref(path.constData(), true, TagLib::AudioProperties::Average);
            if (!ref.isNull() && !ref.tag()->title().isEmpty())
                ++titles;
        });
        if (titles != files.size())
            state.SkipWithError("a file had no title");
        cpu = processCpuMilliseconds() - cpuBefore;
    }
    state.counters["all_threads_cpu_ms"] = cpu;
    state.SetItemsProcessed(state.iterations() * files.size());
}

} // namespace

BENCHMARK(taglibReadFloor)->Arg(50'000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);
BENCHMARK(firstImport)->Arg(10'000)->Arg(50'000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);
BENCHMARK(rescanUnchanged)->Arg(50'000)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1)->Repetitions(3);
