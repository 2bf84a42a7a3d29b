#include "BenchData.h"

#include "Library/IndexStore.h"
#include "Library/LibraryStore.h"
#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"
#include "Views/BlurredCover.h"
#include "Views/LyricsListView.h"
#include "Views/LyricsPageBackdrop.h"
#include "Views/NowPlayingLyricsView.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPixmap>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>

namespace {

const QString lineText = QStringLiteral("刮风这天我试过握着你手 But the rain keeps falling down");

void settleUntil(const std::function<bool()> &done, int milliseconds = 5000)
{
    const QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(2);
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

Lyrics syncedLines(int count)
{
    Lyrics lyrics;
    lyrics.isSynced = true;
    for (int i = 0; i < count; ++i)
        lyrics.lines.append(LyricLine { 2.0 * i, QStringLiteral("%1 · %2").arg(i).arg(lineText) });
    return lyrics;
}

QImage cover()
{
    QImage image(800, 800, QImage::Format_RGB32);
    image.fill(QColor("#1F6F8B"));
    QPainter painter(&image);
    painter.fillRect(120, 120, 420, 300, QColor("#F2B134"));
    painter.setBrush(QColor("#FDF6E3"));
    painter.drawEllipse(QPointF(500, 500), 160, 160);
    return image;
}

// A data folder whose current track has a cover and a synced .lrc file beside its audio file.
struct PlayingLibrary
{
    PlayingLibrary()
    {
        directory = FileLocation::fromLocalFile(temporary.path());
        QDir().mkpath(temporary.path() + QStringLiteral("/music"));
        QDir().mkpath(temporary.path() + u'/' + QString::fromLatin1(LibraryStore::coversFolderName));
        Track track = BenchData::makeTracks(1).constFirst();
        track.url = FileLocation::fromLocalFile(temporary.path() + QStringLiteral("/music/晴天.mp3"));
        track.isMissing = false;
        track.artworkFileName = QStringLiteral("cover.jpg");
        cover().save(temporary.path() + u'/' + QString::fromLatin1(LibraryStore::coversFolderName) + QStringLiteral("/cover.jpg"));
        QFile audio(temporary.path() + QStringLiteral("/music/晴天.mp3"));
        audio.open(QIODevice::WriteOnly);
        QFile lrc(temporary.path() + QStringLiteral("/music/晴天.lrc"));
        lrc.open(QIODevice::WriteOnly);
        for (int i = 0; i < 80; ++i)
            lrc.write(QStringLiteral("[%1:%2.00]%3\n").arg(i * 3 / 60, 2, 10, QChar(u'0')).arg(i * 3 % 60, 2, 10, QChar(u'0')).arg(lineText).toUtf8());
        lrc.close();

        IndexStore store(directory);
        (void)store.saveIndex(LibraryIndex { { track }, { FileLocation::fromLocalFile(temporary.path() + QStringLiteral("/music")) } });
        AppSettings settings;
        settings.lastTrackID = track.id;
        settings.onlineLyricsEnabled = false;
        (void)store.saveSettings(settings);

        model = std::make_unique<AppModel>(directory, AppModelEnvironment::system(nullptr, nullptr));
        page = std::make_unique<NowPlayingLyricsView>(*model);
        ThemeEnvironment::setTheme(page.get(), ThemeEnvironment::defaultTheme());
        page->resize(1000, 680);
        page->show();
        settleUntil([this] {
            return page->showsLyricsList() && !page->backdrop()->coverImage().isNull();
        });
    }

    QTemporaryDir temporary;
    FileLocation directory;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<NowPlayingLyricsView> page;
};

PlayingLibrary &playing()
{
    static PlayingLibrary library;
    return library;
}

// Composing the backdrop picture from the blurred cover and the gradients (size or palette changed).
void BM_BackdropRebuild(benchmark::State &state)
{
    LyricsPageBackdrop *backdrop = playing().page->backdrop();
    if (backdrop->coverImage().isNull())
        state.SkipWithError("the cover was not made");
    for (auto _ : state) {
        backdrop->rebuild();
        benchmark::DoNotOptimize(backdrop->picture());
    }
}
BENCHMARK(BM_BackdropRebuild)->Unit(benchmark::kMillisecond);

// The worker's part: decoding the cover small, blurring and scaling it up.
void BM_BlurredCoverOnWorker(benchmark::State &state)
{
    const FileLocation file = *playing().page->backdrop()->cover();
    for (auto _ : state)
        benchmark::DoNotOptimize(BlurredCover::make(file, 1180, 60));
}
BENCHMARK(BM_BlurredCoverOnWorker)->Unit(benchmark::kMillisecond);

// A repaint of the whole page with its cover, synced lyrics and current line.
void BM_PageRepaint(benchmark::State &state)
{
    NowPlayingLyricsView &page = *playing().page;
    if (!page.showsLyricsList())
        state.SkipWithError("no lyrics on the page");
    QPixmap target(page.size());
    for (auto _ : state) {
        target.fill(Qt::black);
        page.render(&target);
    }
}
BENCHMARK(BM_PageRepaint)->Unit(benchmark::kMillisecond);

struct LongList
{
    LongList()
    {
        ThemeEnvironment::setTheme(&list, ThemeEnvironment::defaultTheme());
        list.resize(640, 560);
        list.show();
        list.setLyrics(lyrics);
        list.setCurrentLineIndex(2500);
        settleUntil([] { return false; }, 50);
    }

    Lyrics lyrics = syncedLines(5000);
    LyricsListView list;
};

// 5,000 lines: measuring the natural widths and estimating every height.
void BM_LongLyricsLoad(benchmark::State &state)
{
    const Lyrics first = syncedLines(5000);
    Lyrics second = first;
    second.lines.last().text += u'!';
    LyricsListView list;
    list.resize(640, 560);
    bool flip = false;
    for (auto _ : state) {
        list.setLyrics((flip = !flip) ? first : second);
        list.setScrollOffset(0);
    }
}
BENCHMARK(BM_LongLyricsLoad)->Unit(benchmark::kMillisecond);

// 5,000 lines: a new width re-estimates every height and lays out the rows in view anew.
void BM_LongLyricsResize(benchmark::State &state)
{
    LongList longList;
    QPixmap target(700, 560);
    bool flip = false;
    for (auto _ : state) {
        longList.list.resize((flip = !flip) ? 600 : 640, 560);
        longList.list.render(&target);
    }
}
BENCHMARK(BM_LongLyricsResize)->Unit(benchmark::kMillisecond);

// 5,000 lines: one frame of a scroll, at an offset deep in the list.
void BM_LongLyricsScrollFrame(benchmark::State &state)
{
    LongList longList;
    QPixmap target(640, 560);
    qreal offset = longList.list.maximumScrollOffset() / 2;
    for (auto _ : state) {
        offset += 7;
        longList.list.setScrollOffset(offset);
        longList.list.render(&target);
    }
}
BENCHMARK(BM_LongLyricsScrollFrame)->Unit(benchmark::kMillisecond);

} // namespace
