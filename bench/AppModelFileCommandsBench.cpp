#include "AppModel.h"

#include "Library/IndexStore.h"
#include "Library/TrackFactory.h"
#include "Storage/FileTime.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <benchmark/benchmark.h>

namespace {

// An engine that plays nothing: the commands measured here never start playback.
class SilentEngine final : public PlaybackEngine
{
public:
    bool isPlaying() const override { return false; }
    double position() const override { return 0; }
    double duration() const override { return 0; }
    QList<float> spectrum() const override { return QList<float>(24, 0.0f); }
    QString lastError() const override { return {}; }
    bool isSpectrumEnabled() const override { return false; }
    void setSpectrumEnabled(bool) override {}
    void setOnFinish(std::function<void()>) override {}
    std::expected<void, QString> load(const FileLocation &) override { return {}; }
    void play() override {}
    void pause() override {}
    void seek(double) override {}
    void unload() override {}
    void setVolume(float) override {}
};

// A data folder whose library holds `count` copies of one short mp3, each with its own title.
struct Library
{
    QTemporaryDir root;
    FileLocation data = FileLocation::fromLocalFile(root.path()).appending(QByteArrayLiteral("Quillmere"));
    QList<Track> tracks;

    explicit Library(int count)
    {
        const QString sample = root.filePath(QStringLiteral("sample.mp3"));
        QProcess::execute(QStringLiteral("ffmpeg"), {QStringLiteral("-loglevel"), QStringLiteral("error"),
                                                     QStringLiteral("-f"), QStringLiteral("lavfi"), QStringLiteral("-i"),
                                                     QStringLiteral("sine=duration=1"), sample});
        QDir().mkpath(root.filePath(QStringLiteral("music")));
        for (int i = 0; i < count; ++i) {
            const QString file = root.filePath(QStringLiteral("music/%1 - 歌.mp3").arg(i));
            QFile::copy(sample, file);
            tracks.append(TrackFactory::make(FileLocation::fromLocalFile(file), std::nullopt, QUuid::createUuid()));
        }
        QDir().mkpath(data.displayPath());
        (void)IndexStore(data).saveIndex({tracks, {FileLocation::fromLocalFile(root.filePath(QStringLiteral("music")))}});
    }

    std::unique_ptr<AppModel> model() const
    {
        AppModelEnvironment environment = AppModelEnvironment::system(nullptr, nullptr);
        environment.makeEngine = [] { return std::make_unique<SilentEngine>(); };
        environment.processEnvironment.insert(QStringLiteral("PATH"), QString());
        environment.ffmpegFixedDirectories.clear();
        return std::make_unique<AppModel>(data, std::move(environment));
    }
};

// Waits without spinning, so the CPU column counts only the GUI thread's own work.
template <typename T> T finished(const QFuture<T> &future)
{
    (void)QTest::qWaitFor([&] { return future.isFinished(); }, 600000);
    return future.result();
}

// Saving a new title for 200 files at once: read, merge and write each file through a temporary
// copy, journal it, then update and save the library once.
void batchTitleEdit(benchmark::State &state)
{
    Library library(200);
    const std::unique_ptr<AppModel> model = library.model();
    int round = 0;
    for (auto _ : state) {
        TagFields fields;
        fields.title = QStringLiteral("新标题 %1").arg(round++);
        if (finished(model->applyTagEdit(fields, model->tracks())))
            state.SkipWithError("the edit failed");
    }
    state.SetItemsProcessed(state.iterations() * 200);
}
BENCHMARK(batchTitleEdit)->Unit(benchmark::kMillisecond)->Iterations(5);

QString randomCover(quint32 seed)
{
    QByteArray image(1024 * 1024, Qt::Uninitialized);
    QRandomGenerator(seed).fillRange(reinterpret_cast<quint32 *>(image.data()), image.size() / sizeof(quint32));
    return QString::fromLatin1(image.toBase64());
}

// Undoing the newest of 50 journalled cover edits, each holding a 1 MB cover before and after:
// the old cover goes back into the file and the covers folder, and the journal of 49 entries is
// written again.
void undoWithFullJournalOfCovers(benchmark::State &state)
{
    Library library(50);
    const std::unique_ptr<AppModel> model = library.model();
    const auto entry = [&](int i) {
        TagFields before;
        before.title = QStringLiteral("歌 %1").arg(i);
        before.artworkBase64 = randomCover(quint32(2 * i));
        TagFields after = before;
        after.artworkBase64 = randomCover(quint32(2 * i + 1));
        return TagUndoEntry{library.tracks.at(i).url, before, after, FileTime::nowReferenceSeconds()};
    };
    for (int i = 0; i < 50; ++i)
        (void)model->tagUndoStore().record(entry(i));
    const TagUndoEntry refill = entry(49);
    for (auto _ : state) {
        const QString text = finished(model->undoLastTagEdit());
        if (!text.startsWith(QStringLiteral("已撤销")))
            state.SkipWithError(qPrintable(text));
        state.PauseTiming();
        (void)model->tagUndoStore().record(refill);
        state.ResumeTiming();
    }
}
BENCHMARK(undoWithFullJournalOfCovers)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
