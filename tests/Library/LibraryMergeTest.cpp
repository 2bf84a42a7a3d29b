#include "AudioFixture.h"
#include "Library/LibraryMerge.h"
#include "Library/LibraryScanner.h"
#include "Library/TagLibMetadataReader.h"
#include "Storage/FileOperations.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

namespace {

Track track(const char *path, qint64 size = 100, double modified = 1000)
{
    return {.id = QUuid::createUuid(), .url = FileLocation::fromPath(path), .title = QString::fromUtf8(path), .fileSize = size,
            .modifiedAt = modified};
}

Track withCover(Track track)
{
    track.artworkFileName = u"cover.jpg"_qs;
    return track;
}

// The scan's view of a file: a new id, fields as read from the file now.
Track scanned(const Track &stored, const char *path = nullptr)
{
    Track found = stored;
    found.id = QUuid::createUuid();
    found.artworkFileName.reset();
    found.isMissing = false;
    if (path)
        found.url = FileLocation::fromPath(path);
    return found;
}

ScanResult found(QList<Track> tracks, QList<FileLocation> unreadable = {})
{
    return {std::move(tracks), std::move(unreadable), {}, {}};
}

const QList<FileLocation> musicFolder{FileLocation::fromPath("/m")};

LibraryMerge::Plan planFor(const QList<Track> &library, const ScanResult &scan, bool scoped = false,
                           const QList<FileLocation> &unreadable = {})
{
    return LibraryMerge::plan(library, scan, musicFolder, scoped, unreadable);
}

QList<Track> mergeAll(const QList<Track> &library, const ScanResult &scan)
{
    return LibraryMerge::finish(planFor(library, scan), library);
}

const Track &at(const QList<Track> &tracks, const char *path)
{
    static const Track none;
    const auto found = std::ranges::find(tracks, FileLocation::fromPath(path), &Track::url);
    return found == tracks.end() ? none : *found;
}

// A rewritten file is read again (its cover too) but keeps identity and cover; a file moved one to one
// keeps its whole record and needs no read, also when it comes from outside the folders; an unreadable
// file keeps its track as it was.
TEST(LibraryMerge, ARewrittenFileIsReadAgainWhileMovedAndUnreadableOnesKeepTheirRecords)
{
    const Track stored = withCover(track("/m/a.mp3")), elsewhere = withCover(track("/old/b.mp3"));
    const Track broken = withCover(track("/m/broken.mp3", 5));
    Track rewritten = scanned(stored), moved = elsewhere;
    rewritten.fileSize = 120;
    rewritten.title = u"new"_qs;
    const QList<Track> library{stored, elsewhere, broken};
    const LibraryMerge::Plan plan = planFor(library, found({rewritten, scanned(elsewhere, "/m/new/b.mp3")}, {broken.url}));
    EXPECT_EQ(plan.pending.size(), 1);
    EXPECT_EQ(plan.unreadableURLs, QList<FileLocation>{broken.url});
    rewritten.id = stored.id;
    rewritten.artworkFileName = stored.artworkFileName;
    moved.url = FileLocation::fromPath("/m/new/b.mp3");
    EXPECT_EQ(LibraryMerge::finish(plan, library), (QList<Track>{rewritten, moved, broken}));
}

TEST(LibraryMerge, AmbiguousOrChangedMovesAreNewTracksAndTheOldOnesGoMissing)
{
    const Track stored = track("/m/a.mp3"), twin = track("/m/a2.mp3");
    Track changed = scanned(stored, "/m/moved.mp3");
    changed.modifiedAt += 1;
    const struct
    {
        const char *name;
        QList<Track> library, scan;
        QStringList missing, fresh; // paths of flagged tracks, and of tracks with a new identity
    } cases[] = {
        {"two copies of one vanished file", {stored}, {scanned(stored, "/m/b.mp3"), scanned(stored, "/m/c.mp3")},
         {u"/m/a.mp3"_qs}, {u"/m/b.mp3"_qs, u"/m/c.mp3"_qs}},
        {"a copy of a file still there", {stored}, {scanned(stored), scanned(stored, "/m/copy.mp3")}, {},
         {u"/m/copy.mp3"_qs}},
        {"one new file like two vanished ones", {stored, twin}, {scanned(stored, "/m/b.mp3")},
         {u"/m/a.mp3"_qs, u"/m/a2.mp3"_qs}, {u"/m/b.mp3"_qs}},
        {"moved and changed at once", {stored}, {changed}, {u"/m/a.mp3"_qs}, {u"/m/moved.mp3"_qs}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QList<Track> merged = mergeAll(c.library, found(c.scan));
        EXPECT_EQ(merged.size(), c.library.size() + c.fresh.size());
        for (const Track &track : merged) {
            const QString path = QString::fromUtf8(track.url.path());
            EXPECT_EQ(track.isMissing, c.missing.contains(path)) << path.toStdString();
            EXPECT_EQ(std::ranges::count(c.library, track.id, &Track::id), c.fresh.contains(path) ? 0 : 1)
                << path.toStdString();
        }
    }
}

TEST(LibraryMerge, UnchangedFilesKeepTheirRecordsThenNewFilesFollowThenTheRestGoMissing)
{
    Track kept = withCover(track("/m/kept.mp3", 2));
    kept.title = u"edited title"_qs;
    kept.isMissing = true;
    const Track gone = track("/elsewhere/gone.mp3", 1); // a full rescan flags it even outside the folders
    const Track fresh = track("/m/fresh.mp3", 3);
    const QList<Track> merged = mergeAll({gone, kept}, found({fresh, scanned(kept)}));
    Track unflagged = kept, flagged = gone;
    unflagged.isMissing = false;
    flagged.isMissing = true;
    EXPECT_EQ(merged, (QList<Track>{unflagged, fresh, flagged}));

    // Two records of one path collapse when the file is found, and both go missing when it is not.
    const Track earlier = track("/m/b.mp3"), later = track("/m/./b.mp3");
    const QList<Track> collapsed = mergeAll({earlier, later}, found({scanned(earlier)}));
    EXPECT_TRUE(collapsed.size() == 1 && collapsed.first().id == later.id);
    const QList<Track> both = mergeAll({earlier, later}, found({}));
    EXPECT_TRUE(both.size() == 2 && both.at(0).isMissing && both.at(1).isMissing);
}

TEST(LibraryMerge, AScopedRescanLeavesOtherFoldersAlone)
{
    const Track elsewhere = track("/other/x.mp3", 7, 7);
    const Track sibling = track("/m2/y.mp3", 8, 8); // a folder whose name only starts like the scanned one
    const Track here = track("/m/a.mp3");
    const FileLocation otherUnreadable = FileLocation::fromPath("/other/bad.mp3");
    const FileLocation hereUnreadable = FileLocation::fromPath("/m/bad.mp3");
    // The file of `elsewhere` now appears in the scanned folder: a new track; the old one is untouched.
    const LibraryMerge::Plan plan = planFor({elsewhere, sibling, here}, found({scanned(elsewhere, "/m/x.mp3")}), true,
                                            {otherUnreadable, hereUnreadable});
    EXPECT_EQ(plan.unreadableURLs, QList<FileLocation>{otherUnreadable});
    const QList<Track> merged = LibraryMerge::finish(plan, {elsewhere, sibling, here});
    EXPECT_EQ(at(merged, "/other/x.mp3"), elsewhere);
    EXPECT_EQ(at(merged, "/m2/y.mp3"), sibling);
    EXPECT_NE(at(merged, "/m/x.mp3").id, elsewhere.id);
    EXPECT_TRUE(at(merged, "/m/a.mp3").isMissing);

    // The unreadable files the scan found replace those known in the folder only.
    const FileLocation newlyUnreadable = FileLocation::fromPath("/m/new-bad.mp3");
    EXPECT_EQ(LibraryMerge::unreadableURLs(planFor({here}, found({}, {newlyUnreadable}), true),
                                           {otherUnreadable, hereUnreadable}),
              (QList<FileLocation>{otherUnreadable, newlyUnreadable}));
}

TEST(LibraryMerge, ChangesMadeWhileTheCoversWereReadAreKept)
{
    const Track unchanged = track("/m/a.mp3"), rewrittenStored = track("/m/b.mp3"), removedMeanwhile = track("/m/c.mp3");
    Track rewritten = scanned(rewrittenStored);
    rewritten.fileSize += 1;
    const LibraryMerge::Plan plan = planFor({unchanged, rewrittenStored, removedMeanwhile},
                                            found({scanned(unchanged), rewritten, scanned(removedMeanwhile)}));
    // Meanwhile the user edits the first track and removes the other two.
    Track edited = unchanged;
    edited.title = u"edited meanwhile"_qs;
    EXPECT_EQ(LibraryMerge::finish(plan, {edited}), QList<Track>{edited});
}

// A sub-folder renamed while the rescan ran: the scan may have seen the old names, the new ones,
// or neither, and two of its files cannot be told apart by size and date.
TEST(LibraryMerge, TracksRepointedWhileTheRescanRanStayWhateverTheScanSaw)
{
    const QList<Track> before{track("/m/sub/a.mp3", 100), track("/m/sub/b.mp3", 100), track("/m/sub/c.mp3", 300)};
    QList<Track> now = before, renamedFiles, oldFiles;
    for (Track &current : now) {
        oldFiles.append(scanned(current));
        current.url = FileLocation::fromPath(QByteArray(current.url.path()).replace("/sub/", "/sub2/"));
        renamedFiles.append(scanned(current));
    }
    for (const QList<Track> &seen : {oldFiles, renamedFiles, QList<Track>{}}) {
        QList<Track> merged = LibraryMerge::finish(planFor(before, found(seen)), now);
        std::ranges::sort(merged, {}, [](const Track &track) { return track.url.path(); });
        EXPECT_EQ(merged, now);
    }
}

// A rescan that finds every stored file unchanged, in order, takes a short cut through the merge.
// It must give what the general rule gives, also when the library changed while the rescan ran.
TEST(LibraryMerge, AnUnchangedRescanGivesWhatTheGeneralRuleGives)
{
    const QList<Track> library{track("/m/a.mp3"), track("/m/b.mp3"), track("/m/c.mp3")};
    QList<Track> flagged = library;
    flagged[1].isMissing = true;
    const LibraryMerge::Plan plan = planFor(flagged, found({scanned(library[0]), scanned(library[1]), scanned(library[2])}));
    ASSERT_TRUE(plan.unchangedIsLibrary);
    const Track added = track("/elsewhere/d.mp3");
    const std::pair<const char *, std::function<void(QList<Track> &)>> changes[] = {
        {"none", [](QList<Track> &) {}},
        {"removed", [](QList<Track> &tracks) { tracks.removeFirst(); }},
        {"edited", [](QList<Track> &tracks) { tracks[2].title = u"edited"_qs; }},
        {"added", [&](QList<Track> &tracks) { tracks.append(added); }},
        {"repointed", [](QList<Track> &tracks) { tracks[0].url = FileLocation::fromPath("/elsewhere/a.mp3"); }},
    };
    for (const auto &[name, change] : changes) {
        QList<Track> current = flagged, expected = library;
        change(current);
        change(expected);
        EXPECT_EQ(LibraryMerge::finish(plan, current), expected) << name;
    }
}

class LibraryScannerTest : public ::testing::Test
{
protected:
    FileLocation root() const { return FileLocation::fromLocalFile(m_dir.path()); }
    FileLocation at(const QByteArray &relative) const { return root().appending(relative); }
    void touch(const QByteArray &relative, const QByteArray &bytes = "not audio")
    {
        ASSERT_TRUE(FileOperations::system().createDirectories(at(relative).deletingLastPathComponent()));
        ASSERT_TRUE(FileOperations::system().writeAtomically(at(relative), bytes));
    }
    void tone(const QString &name, double seconds) { ASSERT_FALSE(AudioFixture::makeTone(m_dir.path(), name, seconds).isEmpty()); }
    QList<QByteArray> relativePaths(const QList<FileLocation> &files) const
    {
        QList<QByteArray> paths;
        for (const FileLocation &file : files)
            paths.append(file.path().mid(root().path().size() + 1));
        std::sort(paths.begin(), paths.end());
        return paths;
    }

    QTemporaryDir m_dir;
};

TEST_F(LibraryScannerTest, CollectsSupportedFilesOnceSkippingHiddenOnesAndLinksToFolders)
{
    for (const char *name : {"Song.MP3", "a.Flac", "song", "song.mp3.part", ".hidden.mp3", ".hidden/inside.mp3",
                             "Live.flac/track.ogg", "notes.txt", "A/B/x.mp3", "A/y.wav"})
        touch(name); // a folder named like an audio file is walked, not listed
    ASSERT_EQ(::symlink(m_dir.path().toLocal8Bit().constData(), at("A/B/loop").cPath()), 0);
    EXPECT_EQ(relativePaths(LibraryScanner::collectFiles({root(), at("A/./B/../B")}).files),
              (QList<QByteArray>{"A/B/x.mp3", "A/y.wav", "Live.flac/track.ogg", "Song.MP3", "a.Flac"}));
    EXPECT_EQ(LibraryScanner::collectFiles({at("A/./B/../B")}).files, QList<FileLocation>{at("A/B/x.mp3")});
}

TEST_F(LibraryScannerTest, OneFilePerDeviceAndInodeAndUnopenableFoldersAreListed)
{
    touch("music/real.mp3");
    touch("elsewhere/real.flac");
    ASSERT_EQ(::symlink(at("music/real.mp3").cPath(), at("music/a-link.mp3").cPath()), 0);
    ASSERT_EQ(::symlink(at("elsewhere/real.flac").cPath(), at("music/b-link.flac").cPath()), 0);
    const auto collected = LibraryScanner::collectFiles({at("music"), at("missing"), at("elsewhere")});
    EXPECT_EQ(relativePaths(collected.files), (QList<QByteArray>{"elsewhere/real.flac", "music/real.mp3"}));
    EXPECT_EQ(collected.unopenableFolders, QList<FileLocation>{at("missing")});

    const ScanResult result = LibraryScanner::scan({at("missing")}, TagLibMetadataReader());
    EXPECT_TRUE(result.tracks.isEmpty());
    EXPECT_EQ(result.unreadable, QList<FileLocation>{at("missing")});
}

TEST_F(LibraryScannerTest, SkippingUnchangedFilesGivesTheSameMergedLibrary)
{
    for (int i = 0; i < 6; ++i)
        tone(u"t%1.flac"_qs.arg(i), 0.3);
    const TagLibMetadataReader reader;
    const QList<Track> library = LibraryScanner::scan({root()}, reader).tracks;
    tone(u"t3.flac"_qs, 0.6); // rewritten since: read again even when the other files are skipped

    LibraryScanner::KnownFiles known;
    for (const Track &track : library)
        known.insert(track.url.path(), FileFingerprint::of(track));
    const auto mergeWith = [&](const ScanResult &scan) {
        return LibraryMerge::finish(LibraryMerge::plan(library, scan, {root()}, false, {}), library);
    };
    const QList<Track> full = mergeWith(LibraryScanner::scan({root()}, reader));
    const QList<Track> skipping = mergeWith(LibraryScanner::scan({root()}, reader, known));
    EXPECT_EQ(skipping, full);
}

} // namespace
