// Decoding speed per format and, through a PulseAudio server, the cost of playing and the time to
// the first sound.
#include "Playback/AudioDecoder.h"
#include "Playback/PlayerEngine.h"
#include "Playback/SinkAudioOutput.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <atomic>
#include <ctime>
#include <vector>

namespace {

constexpr double fileSeconds = 30.0;

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

// Thirty seconds of stereo pink noise at 44.1 kHz, which compresses like music rather than like a
// pure tone.
QString makeFile(const QString &fileName, const QStringList &codec = {})
{
    const QString path = folder().filePath(fileName);
    if (QFile::exists(path))
        return path;
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 QStringList{"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i",
                             QStringLiteral("anoisesrc=d=%1:c=pink:a=0.3:r=44100").arg(fileSeconds), "-ac", "2"}
                     + codec + QStringList{path});
    ffmpeg.waitForFinished(120000);
    return ffmpeg.exitCode() == 0 ? path : QString();
}

bool serverReachable()
{
    QProcess info;
    info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    return info.waitForFinished(5000) && info.exitCode() == 0;
}

double processCpuSeconds()
{
    timespec time{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &time);
    return double(time.tv_sec) + double(time.tv_nsec) / 1e9;
}

// Runs the event loop idle, as an application would while playing.
void runEventLoop(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// Whole-file decoding; the counter is the multiple of real time.
void decodeFile(benchmark::State &state, const char *fileName, QStringList codec)
{
    const QString path = makeFile(QString::fromUtf8(fileName), codec);
    if (path.isEmpty()) {
        state.SkipWithError("ffmpeg could not make the file");
        return;
    }
    std::vector<float> block(4096 * AudioDecoder::channelCount);
    double decodedSeconds = 0;
    for (auto _ : state) {
        auto decoder = AudioDecoder::open(FileLocation::fromLocalFile(path));
        if (!decoder) {
            state.SkipWithError("open failed");
            return;
        }
        qint64 frames = 0;
        while (const qint64 read = (*decoder)->read(block.data(), 4096))
            frames += read;
        decodedSeconds += double(frames) / (*decoder)->sampleRate();
    }
    state.counters["x_realtime"] = benchmark::Counter(decodedSeconds, benchmark::Counter::kIsRate);
}
BENCHMARK_CAPTURE(decodeFile, mp3, "noise.mp3", {})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeFile, aac, "noise.m4a", {})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeFile, alac, "alac.m4a", {"-c:a", "alac"})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeFile, flac, "noise.flac", {})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeFile, wav, "noise.wav", {})->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(decodeFile, aiff, "noise.aiff", {})->Unit(benchmark::kMillisecond);

// The whole process's CPU time while a FLAC plays with the spectrum on, as a share of one core.
void playFlacWithSpectrum(benchmark::State &state)
{
    if (!serverReachable()) {
        state.SkipWithError("no PulseAudio server");
        return;
    }
    const QString path = makeFile(QStringLiteral("noise.flac"));
    PlayerEngine engine;
    engine.setSpectrumEnabled(true);
    double cpuShare = 0;
    for (auto _ : state) {
        if (!engine.load(FileLocation::fromLocalFile(path))) {
            state.SkipWithError("load failed");
            return;
        }
        engine.play();
        runEventLoop(1000); // past the device's start
        const double cpuBefore = processCpuSeconds();
        QElapsedTimer wall;
        wall.start();
        runEventLoop(int(state.range(0)));
        cpuShare = (processCpuSeconds() - cpuBefore) / (double(wall.nsecsElapsed()) / 1e9);
        engine.unload();
    }
    state.counters["cpu_percent_of_one_core"] = cpuShare * 100;
}
BENCHMARK(playFlacWithSpectrum)->Arg(10000)->Iterations(1)->Unit(benchmark::kSecond);

// From `load` + `play` to the first frame of the file handed to the sink.
void timeToFirstSample(benchmark::State &state)
{
    if (!serverReachable()) {
        state.SkipWithError("no PulseAudio server");
        return;
    }
    const QString path = makeFile(QStringLiteral("noise.flac"));
    std::atomic<qint64> firstSoundNs{-1};
    QElapsedTimer clock;
    PlayerEngine engine([&](AudioOutput::Tap tap) {
        return std::make_unique<SinkAudioOutput>(
            [&, tap](std::span<const float> block, int channels, double sampleRate) {
                if (firstSoundNs.load() < 0
                    && std::any_of(block.begin(), block.end(), [](float sample) { return sample != 0.0f; }))
                    firstSoundNs.store(clock.nsecsElapsed());
                tap(block, channels, sampleRate);
            });
    });
    engine.setSpectrumEnabled(true); // the tap sees every block handed to the sink
    for (auto _ : state) {
        firstSoundNs.store(-1);
        clock.start();
        if (!engine.load(FileLocation::fromLocalFile(path))) {
            state.SkipWithError("load failed");
            return;
        }
        engine.play();
        while (firstSoundNs.load() < 0 && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        state.SetIterationTime(double(firstSoundNs.load()) / 1e9);
        engine.unload();
    }
}
BENCHMARK(timeToFirstSample)->UseManualTime()->Iterations(20)->Unit(benchmark::kMillisecond);

} // namespace
