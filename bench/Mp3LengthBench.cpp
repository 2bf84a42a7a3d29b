// Loading an hour-long MP3: its length from the Xing/Info header, an estimate without one (the
// player counts that on a worker), and the full count of its packets for comparison.
#include "Playback/AudioDecoder.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QTemporaryDir &folder()
{
    static QTemporaryDir dir;
    return dir;
}

bool ffmpeg(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("ffmpeg"), QStringList{"-hide_banner", "-loglevel", "error", "-y"} + arguments) == 0;
}

// One minute of encoded noise, copied sixty times into one stream.
FileLocation hourLongMp3(bool withHeader)
{
    const QString minute = folder().filePath(QStringLiteral("minute.mp3"));
    const QString list = folder().filePath(QStringLiteral("list.txt"));
    if (!QFile::exists(list)) {
        ffmpeg({"-f", "lavfi", "-i", "anoisesrc=d=60:c=pink:a=0.3:r=44100", "-ac", "2", "-write_xing", "0", minute});
        QFile file(list);
        if (file.open(QIODevice::WriteOnly))
            for (int i = 0; i < 60; ++i)
                file.write("file 'minute.mp3'\n");
    }
    const QString path = folder().filePath(withHeader ? QStringLiteral("hour.mp3") : QStringLiteral("hour-plain.mp3"));
    if (!QFile::exists(path))
        ffmpeg({"-f", "concat", "-safe", "0", "-i", list, "-c", "copy", "-write_xing", withHeader ? "1" : "0", path});
    return FileLocation::fromLocalFile(path);
}

void BM_OpenHourLongMp3(benchmark::State &state)
{
    const bool withHeader = state.range(0) != 0;
    const FileLocation file = hourLongMp3(withHeader);
    for (auto _ : state) {
        auto decoder = AudioDecoder::open(file, AudioDecoder::Length::Estimated);
        if (!decoder) {
            state.SkipWithError("the file did not open");
            return;
        }
        benchmark::DoNotOptimize((*decoder)->frameCount());
    }
    state.SetLabel(withHeader ? "Xing/Info header" : "no header, estimated");
}
BENCHMARK(BM_OpenHourLongMp3)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_CountHourLongMp3(benchmark::State &state)
{
    const FileLocation file = hourLongMp3(false);
    for (auto _ : state)
        benchmark::DoNotOptimize(AudioDecoder::countedFrameCount(file));
}
BENCHMARK(BM_CountHourLongMp3)->Unit(benchmark::kMillisecond);

} // namespace
