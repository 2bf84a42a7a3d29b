#include "Library/LibraryMerge.h"

#include <gtest/gtest.h>

#include <functional>
#include <ostream>

// A rescan that finds every stored file unchanged, in order, takes a short cut through the merge.
// It must give what the general rule gives, also when the library changed while the rescan ran.
namespace {

Track stored(const char *path, bool missing = false)
{
    Track track;
    track.id = QUuid::createUuid();
    track.url = FileLocation::fromPath(path);
    track.title = QString::fromUtf8(path);
    track.fileSize = 100;
    track.modifiedAt = 1000;
    track.isMissing = missing;
    return track;
}

struct Case
{
    const char *name;
    // Changes the library while the rescan runs; gives the expected result.
    std::function<QList<Track>(QList<Track> &current)> change;
};

void PrintTo(const Case &change, std::ostream *out)
{
    *out << change.name;
}

class UnchangedRescanMerge : public ::testing::TestWithParam<Case>
{
};

} // namespace

TEST_P(UnchangedRescanMerge, GivesWhatTheGeneralRuleGives)
{
    const QList<Track> library{stored("/m/a.mp3"), stored("/m/b.mp3", true), stored("/m/c.mp3")};
    ScanResult scan;
    for (const Track &track : library) {
        Track found = track;
        found.id = QUuid::createUuid();
        found.isMissing = false;
        scan.tracks.append(found);
    }
    const LibraryMerge::Plan plan = LibraryMerge::plan(library, scan, {FileLocation::fromPath("/m")}, false, {});
    QList<Track> current = library;
    const QList<Track> expected = GetParam().change(current);
    EXPECT_EQ(LibraryMerge::finish(plan, current), expected);
}

namespace {

QList<Track> unflagged(QList<Track> tracks)
{
    for (Track &track : tracks)
        track.isMissing = false;
    return tracks;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(
    Changes, UnchangedRescanMerge,
    ::testing::Values(
        Case{"none", [](QList<Track> &current) { return unflagged(current); }},
        Case{"removed", [](QList<Track> &current) {
                 current.removeFirst();
                 return unflagged(current);
             }},
        Case{"edited", [](QList<Track> &current) {
                 current[2].title = QStringLiteral("edited");
                 return unflagged(current);
             }},
        Case{"added", [](QList<Track> &current) {
                 current.append(stored("/elsewhere/d.mp3"));
                 return unflagged(current);
             }},
        Case{"repointed", [](QList<Track> &current) {
                 current[0].url = FileLocation::fromPath("/elsewhere/a.mp3");
                 return unflagged(current);
             }}),
    [](const ::testing::TestParamInfo<Case> &info) { return std::string(info.param.name); });
