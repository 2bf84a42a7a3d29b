#include "BenchData.h"

#include "Library/IndexStore.h"
#include "Library/LibraryStore.h"
#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"
#include "Views/ArtworkThumbnailCache.h"
#include "Views/TrackListView.h"
#include "Views/TrackRowsView.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

constexpr int libraryTrackCount = 100'000;
constexpr int coverCount = 300;

// A data folder with 100k tracks; two in three name one of 300 cover images of 600 x 600.
struct ShownLibrary
{
    ShownLibrary()
    {
        directory = FileLocation::fromLocalFile(temporary.path());
        QList<Track> tracks = BenchData::makeTracks(libraryTrackCount);
        for (qsizetype i = 0; i < tracks.size(); ++i)
            tracks[i].artworkFileName = i % 3 == 0 ? std::nullopt : std::optional(QStringLiteral("%1.jpg").arg(i % coverCount));
        IndexStore store(directory);
        (void)store.saveIndex(LibraryIndex{tracks, {}});
        const QString covers = temporary.path() + u'/' + QString::fromLatin1(LibraryStore::coversFolderName);
        QDir().mkpath(covers);
        for (int i = 0; i < coverCount; ++i) {
            QImage image(600, 600, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(i % 360, 150, 200));
            QPainter(&image).fillRect(100, 100, 300, 300, QColor::fromHsv((i * 7) % 360, 200, 90));
            image.save(QStringLiteral("%1/%2.jpg").arg(covers).arg(i));
        }
        model = std::make_unique<AppModel>(directory, AppModelEnvironment::system(nullptr, nullptr));
        view = std::make_unique<TrackListView>(*model);
        ThemeEnvironment::setTheme(view.get(), ThemeEnvironment::defaultTheme());
        view->resize(1000, 760);
        view->show();
        settle();
    }

    void setRowStyle(const QString &style)
    {
        AppSettings settings = model->library().settings();
        settings.rowStyle = style;
        model->library().setSettings(settings);
        view->rows()->viewport()->repaint();
    }

    // Everything queued so far, the list's delayed layout included.
    static void settle() { QCoreApplication::processEvents(); }

    // What reaches the screen after a change: the queued work, then the whole view painted.
    void repaint()
    {
        settle();
        view->repaint();
    }

    QTemporaryDir temporary;
    FileLocation directory;
    std::unique_ptr<AppModel> model;
    std::unique_ptr<TrackListView> view;
};

// Built on first use and gone before the application object, which the views need to the end.
ShownLibrary &shown()
{
    static ShownLibrary *library = [] {
        auto *made = new ShownLibrary;
        qAddPostRoutine([] { delete library; });
        return made;
    }();
    return *library;
}

// One character typed into the search field, to the repainted list.
void keystrokeToRepaint(benchmark::State &state)
{
    ShownLibrary &library = shown();
    library.setRowStyle(u"index"_qs);
    const QStringList typed{u"c"_qs, u"ca"_qs, u"caf"_qs, u"cafe"_qs, u"周"_qs, u"周杰"_qs, u"周杰伦"_qs, u"七里香"_qs};
    qsizetype next = 0;
    for (auto _ : state) {
        library.model->setSearchText(typed.at(next++ % typed.size()));
        library.repaint();
    }
    library.model->setSearchText(QString());
    library.repaint();
}
BENCHMARK(keystrokeToRepaint)->Unit(benchmark::kMillisecond);

// One scroll step of three rows, to the repainted rows, in each row style. The covers of the
// rows scrolled over are decoded before timing starts.
void scrollFrame(benchmark::State &state, const QString &rowStyle)
{
    ShownLibrary &library = shown();
    library.setRowStyle(rowStyle);
    QScrollBar *bar = library.view->rows()->verticalScrollBar();
    const int stride = 3 * 36;
    const int span = 4000 * 36;
    bar->setValue(0);
    for (int value = 0; value < span; value += stride) {
        bar->setValue(value);
        library.view->rows()->viewport()->repaint();
    }
    const QElapsedTimer waited = [] { QElapsedTimer timer; timer.start(); return timer; }();
    while (library.view->thumbnails()->pendingCount() > 0 && waited.elapsed() < 30'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    int value = 0;
    for (auto _ : state) {
        value = (value + stride) % span;
        bar->setValue(value);
        library.view->rows()->viewport()->repaint();
    }
    state.counters["pendingCovers"] = library.view->thumbnails()->pendingCount();
}
BENCHMARK_CAPTURE(scrollFrame, index, u"index"_qs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(scrollFrame, cover, u"cover"_qs)->Unit(benchmark::kMillisecond);

// A click on a column title: the library sorted by another column, to the repainted list.
void sortChangeToRepaint(benchmark::State &state)
{
    ShownLibrary &library = shown();
    library.setRowStyle(u"index"_qs);
    library.view->rows()->verticalScrollBar()->setValue(0);
    bool flip = false;
    for (auto _ : state) {
        library.model->toggleSort((flip = !flip) ? TrackSort::Artist : TrackSort::Title);
        library.repaint();
    }
}
BENCHMARK(sortChangeToRepaint)->Unit(benchmark::kMillisecond);

// Shift-click from the first row to the last: 100k rows selected, to the repainted list.
void shiftClickRange(benchmark::State &state)
{
    ShownLibrary &library = shown();
    AppModel &model = *library.model;
    const VisibleTrackList visible = model.visibleTracks();
    // Sets the anchor without playing.
    model.handleTrackClick(visible.at(0).id, Qt::ControlModifier);
    for (auto _ : state) {
        model.handleTrackClick(visible.at(visible.size() - 1).id, Qt::ShiftModifier);
        library.repaint();
        state.PauseTiming();
        model.handleTrackClick(visible.at(0).id, Qt::ShiftModifier);
        library.repaint();
        state.ResumeTiming();
    }
    state.counters["selected"] = double(visible.size());
}
BENCHMARK(shiftClickRange)->Unit(benchmark::kMillisecond);

} // namespace
