#include "TrackListLibrary.h"

#include "GuiSupport/GuiFixture.h"
#include "Views/ArtworkThumbnailCache.h"
#include "Views/TrackListModel.h"
#include "Views/TrackListView.h"
#include "Views/TrackRowsView.h"

#include <QElapsedTimer>
#include <QScrollBar>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <ctime>

namespace {

class TrackListSmokeTest : public GuiFixture
{
};

// The time the calling thread has spent on a processor, in milliseconds: on a busy machine the
// wall clock also counts the time the thread waited for a processor.
double threadCpuMilliseconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

#ifdef __SANITIZE_ADDRESS__
// The sanitizer build is an instrumented debug build, several times slower at painting.
constexpr double longestTurnAllowed = 150;
#else
constexpr double longestTurnAllowed = 50;
#endif

// A library of 100k tracks in cover style, scrolled from top to bottom by timer in steps of
// many screens, as a user dragging the scroll bar would: no turn of the event loop keeps the GUI
// thread busy for more than 50 ms while covers are decoded on other threads.
TEST_F(TrackListSmokeTest, ScrollingHundredThousandRowsInCoverStyleKeepsTheGuiThreadFree)
{
    constexpr int trackCount = 100'000;
    constexpr int coverCount = 120;
    TrackListLibrary::seed(home.dataFolder(), TrackListLibrary::makeTracks(home.musicPath(), trackCount, coverCount),
                           coverCount);
    seedSettings([](AppSettings &settings) { settings.rowStyle = u"cover"_qs; });
    buildModel();
    ASSERT_EQ(model->visibleTracks().size(), trackCount);

    TrackListView view(*model);
    theme.addRoot(&view);
    view.resize(900, 700);
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    settle(50);

    QScrollBar *bar = view.rows()->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    // Steps of many screens, so every step lands on rows whose covers are not decoded yet.
    const int step = qMax(bar->pageStep(), bar->maximum() / 400);

    QElapsedTimer sinceLastTurn;
    qint64 longestWallTurn = 0;
    double lastCpu = threadCpuMilliseconds();
    double longestTurn = 0;
    QTimer heartbeat;
    heartbeat.setInterval(0);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        longestWallTurn = std::max(longestWallTurn, sinceLastTurn.restart());
        const double cpu = threadCpuMilliseconds();
        longestTurn = std::max(longestTurn, cpu - lastCpu);
        lastCpu = cpu;
    });
    QTimer scroller;
    scroller.setInterval(8);
    QObject::connect(&scroller, &QTimer::timeout, [&] {
        bar->setValue(std::min(bar->value() + step, bar->maximum()));
        if (bar->value() == bar->maximum())
            scroller.stop();
    });
    sinceLastTurn.start();
    lastCpu = threadCpuMilliseconds();
    heartbeat.start();
    scroller.start();
    QElapsedTimer total;
    total.start();
    while ((scroller.isActive() || view.thumbnails()->pendingCount() > 0) && total.elapsed() < 60'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    heartbeat.stop();

    RecordProperty("longestTurnCpuMs", int(std::ceil(longestTurn)));
    RecordProperty("longestTurnWallMs", int(longestWallTurn));
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_EQ(view.thumbnails()->pendingCount(), 0);
    EXPECT_LE(longestTurn, longestTurnAllowed) << "the GUI thread was blocked for " << longestTurn << " ms";
    const QModelIndex last = view.listModel()->index(trackCount - 1);
    EXPECT_TRUE(view.rows()->viewport()->rect().intersects(view.rows()->visualRect(last)));
}

} // namespace
