#include "Library/TagLibMetadataReader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

#include <mutex>

// Metadata reads per second, per format, on one core and on all cores. The files are small
// copies of one tagged 30-second file per format and stay in the page cache, so the figures are
// the cost of parsing, not of the disk.

namespace {

struct Format
{
    const char *name;
    const char *fileName;
    QStringList arguments;
    bool withCover;
};

const QStringList tags{"-metadata", "title=七里香", "-metadata", "artist=周杰伦", "-metadata", "album=七里香",
                       "-metadata", "album_artist=周杰伦", "-metadata", "date=2004-08-03", "-metadata",
                       "track=1/10", "-metadata", "genre=流行"};

const Format formats[] = {
    {"mp3", "tone.mp3", {"-id3v2_version", "3"}, true},
    {"m4a_aac", "tone.m4a", {}, true},
    {"m4a_alac", "tone.m4a", {"-c:a", "alac"}, true},
    {"flac", "tone.flac", {}, true},
    {"wav", "tone.wav", {}, false},
    {"aiff", "tone.aiff", {"-write_id3v2", "1"}, true},
    {"ogg_vorbis", "tone.ogg", {"-c:a", "libvorbis"}, false},
    // TagLib measures no length here, so every read also asks libavformat.
    {"wav_without_samples", "empty.wav", {"-t", "0"}, false},
};
constexpr int copiesPerFormat = 32;

bool runFfmpeg(const QStringList &arguments)
{
    QProcess ffmpeg;
    ffmpeg.start("ffmpeg", QStringList{"-v", "error", "-y"} + arguments);
    return ffmpeg.waitForFinished(120000) && ffmpeg.exitCode() == 0;
}

class BenchFiles
{
public:
    static const QList<FileLocation> &of(int format)
    {
        static BenchFiles files;
        return files.m_files[format];
    }

private:
    BenchFiles()
    {
        const QString cover = m_folder.filePath("cover.jpg");
        if (!runFfmpeg({"-f", "lavfi", "-i", "testsrc=size=500x500", "-frames:v", "1", cover}))
            qFatal("ffmpeg cannot make the cover");
        for (const Format &format : formats) {
            const QString source = m_folder.filePath(QStringLiteral("%1-%2").arg(format.name, format.fileName));
            QStringList arguments{"-f", "lavfi", "-i", "sine=frequency=440:duration=30"};
            if (format.withCover)
                arguments << "-i" << cover << "-map" << "0:a" << "-map" << "1:v" << "-c:v" << "copy"
                          << "-disposition:v" << "attached_pic";
            if (!runFfmpeg(arguments + tags + format.arguments + QStringList{source}))
                qFatal("ffmpeg cannot make %s", format.name);
            QList<FileLocation> copies;
            for (int copy = 0; copy < copiesPerFormat; ++copy) {
                const QString path = QStringLiteral("%1.%2").arg(source).arg(copy);
                QFile::copy(source, path);
                copies += FileLocation::fromPath(QFile::encodeName(path));
            }
            m_files.append(copies);
        }
    }

    QTemporaryDir m_folder;
    QList<QList<FileLocation>> m_files;
};

void BM_MetadataRead(benchmark::State &state)
{
    const QList<FileLocation> &files = BenchFiles::of(int(state.range(0)));
    state.SetLabel(formats[state.range(0)].name);
    const TagLibMetadataReader reader;
    qsizetype next = state.thread_index();
    for (auto _ : state) {
        std::optional<AudioMetadata> metadata = reader.read(files[next++ % files.size()]);
        if (!metadata)
            state.SkipWithError("a bench file did not read");
        benchmark::DoNotOptimize(metadata);
    }
    state.SetItemsProcessed(state.iterations());
}

void formatsAndThreads(benchmark::internal::Benchmark *benchmark)
{
    for (int format = 0; format < int(std::size(formats)); ++format)
        benchmark->Arg(format);
}

} // namespace

BENCHMARK(BM_MetadataRead)->Apply(formatsAndThreads)->Threads(1)->UseRealTime();
BENCHMARK(BM_MetadataRead)->Apply(formatsAndThreads)->Threads(QThread::idealThreadCount())->UseRealTime();
