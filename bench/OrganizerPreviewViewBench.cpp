#include "BenchData.h"
#include "Organize/FileOrganizer.h"
#include "Views/OrganizerPlanRows.h"
#include "Views/OrganizerPlanner.h"

#include <benchmark/benchmark.h>

#include <QImage>
#include <QScrollBar>
#include <QTemporaryDir>

namespace {

constexpr int sheetTrackCount = 10'000;
// The table's rows in the 760 x 620 sheet.
constexpr QSize rowsSize(718, 300);

struct Sheet
{
    Sheet()
        : tracks(BenchData::makeTracks(sheetTrackCount))
        , undo(FileLocation::fromLocalFile(root.filePath(QStringLiteral("undo"))), 50)
        , organizer(undo)
        , frame(rowsSize, QImage::Format_ARGB32_Premultiplied)
    {
        rows.resize(rowsSize);
    }

    OrganizerPlanner::Request request() const
    {
        return {tracks, QStringLiteral("{artist}/{album}/{track} {title}"),
                FileLocation::fromLocalFile(root.filePath(QStringLiteral("out")))};
    }

    void paint()
    {
        frame.fill(Qt::transparent);
        rows.viewport()->render(&frame);
    }

    QList<Track> tracks;
    QTemporaryDir root;
    OrganizeUndoStore undo;
    const FileOrganizer organizer;
    OrganizerPlanRows rows;
    QImage frame;
};

// From the sheet's choices to the first painted rows: the plan with its existence and
// file-system checks, the rows' layout, and one frame.
void planAndShowTenThousand(benchmark::State &state)
{
    Sheet sheet;
    const OrganizerPlanner::Request request = sheet.request();
    for (auto _ : state) {
        const OrganizerPlan plan = OrganizerPlanner::compute(sheet.organizer, request);
        sheet.rows.setItems(plan.items);
        sheet.paint();
    }
}
BENCHMARK(planAndShowTenThousand)->Unit(benchmark::kMillisecond);

// One frame of scrolling through the ten thousand rows, a wheel step at a time.
void scrollFrame(benchmark::State &state)
{
    Sheet sheet;
    sheet.rows.setItems(OrganizerPlanner::compute(sheet.organizer, sheet.request()).items);
    QScrollBar *bar = sheet.rows.verticalScrollBar();
    int value = 0;
    for (auto _ : state) {
        value = (value + 3 * bar->singleStep()) % (bar->maximum() + 1);
        bar->setValue(value);
        sheet.paint();
    }
}
BENCHMARK(scrollFrame)->Unit(benchmark::kMicrosecond);

} // namespace

namespace {

// The two halves of the above, apart.
void planTenThousand(benchmark::State &state)
{
    Sheet sheet;
    const OrganizerPlanner::Request request = sheet.request();
    for (auto _ : state)
        benchmark::DoNotOptimize(OrganizerPlanner::compute(sheet.organizer, request));
}
BENCHMARK(planTenThousand)->Unit(benchmark::kMillisecond);

void showTenThousand(benchmark::State &state)
{
    Sheet sheet;
    const QList<OrganizePlanItem> items = OrganizerPlanner::compute(sheet.organizer, sheet.request()).items;
    for (auto _ : state) {
        sheet.rows.setItems(items);
        sheet.paint();
    }
}
BENCHMARK(showTenThousand)->Unit(benchmark::kMillisecond);

} // namespace
