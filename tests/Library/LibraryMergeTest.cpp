#include "AudioFixture.h"
#include "Library/LibraryMerge.h"
#include "Library/LibraryScanner.h"
#include "Library/TagLibMetadataReader.h"
#include "Storage/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

Track track(const char *path, qint64 size = 100, double modified = 1000, const QString &title = {})
{
    Track track;
    track.id = QUuid::createUuid();
    track.url = FileLocation::fromPath(path);
    track.title = title.isEmpty() ? QString::fromUtf8(path) : title;
    track.fileSize = size;
    track.modifiedAt = modified;
    return track;
}

// The scan's view of a file: a new id, fields as read from the file now.
Track scanned(const Track &stored, const char *path = nullptr)
{
    Track found = stored;
    found.id = QUuid::createUuid();
    found.artworkFileName.reset();
    if (path)
        found.url = FileLocation::fromPath(path);
    return found;
}

ScanResult found(QList<Track> tracks, QList<FileLocation> unreadable = {})
{
    ScanResult scan;
    scan.tracks = std::move(tracks);
    scan.unreadable = std::move(unreadable);
    return scan;
}

const QList<FileLocation> musicFolder{FileLocation::fromPath("/m")};

QList<Track> mergeAll(const QList<Track> &library, const ScanResult &scan,
                      const QList<FileLocation> &folders = musicFolder, bool scoped = false)
{
    const LibraryMerge::Plan plan = LibraryMerge::plan(library, scan, folders, scoped, {});
    return LibraryMerge::finish(plan, library);
}

const Track *byPath(const QList<Track> &tracks, const char *path)
{
    for (const Track &track : tracks) {
        if (track.url.path() == path)
            return &track;
    }
    return nullptr;
}

} // namespace

TEST(LibraryMerge, ARewrittenFileIsReadAgainButKeepsIdentityAndCover)
{
    Track stored = track("/m/a.mp3", 100, 1000, QStringLiteral("old"));
    stored.artworkFileName = QStringLiteral("cover.jpg");
    Track rewritten = scanned(stored);
    rewritten.fileSize = 120;
    rewritten.title = QStringLiteral("new");
    const LibraryMerge::Plan plan = LibraryMerge::plan({stored}, found({rewritten}), musicFolder, false, {});
    ASSERT_EQ(plan.pending.size(), 1); // its cover is read again
    const QList<Track> merged = LibraryMerge::finish(plan, {stored});
    ASSERT_EQ(merged.size(), 1);
    EXPECT_EQ(merged.first().id, stored.id);
    EXPECT_EQ(merged.first().artworkFileName, stored.artworkFileName);
    EXPECT_EQ(merged.first().title, QStringLiteral("new"));
    EXPECT_EQ(merged.first().fileSize, 120);
}

TEST(LibraryMerge, AFileMovedOneToOneKeepsItsWholeRecord)
{
    Track stored = track("/m/old/a.mp3");
    stored.title = QStringLiteral("edited");
    const LibraryMerge::Plan plan =
        LibraryMerge::plan({stored}, found({scanned(stored, "/m/new/a.mp3")}), musicFolder, false, {});
    EXPECT_TRUE(plan.pending.isEmpty()); // no cover read for a move
    const QList<Track> merged = LibraryMerge::finish(plan, {stored});
    ASSERT_EQ(merged.size(), 1);
    Track expected = stored;
    expected.url = FileLocation::fromPath("/m/new/a.mp3");
    EXPECT_EQ(merged.first(), expected);
}

TEST(LibraryMerge, AmbiguousOrChangedMovesAreNewTracksAndTheOldOnesGoMissing)
{
    const Track stored = track("/m/a.mp3");
    // Two copies of one vanished file.
    QList<Track> merged = mergeAll({stored}, found({scanned(stored, "/m/b.mp3"), scanned(stored, "/m/c.mp3")}));
    ASSERT_EQ(merged.size(), 3);
    EXPECT_TRUE(byPath(merged, "/m/a.mp3")->isMissing);
    EXPECT_NE(byPath(merged, "/m/b.mp3")->id, stored.id);
    EXPECT_NE(byPath(merged, "/m/c.mp3")->id, stored.id);

    // A copy of a file that is still there.
    merged = mergeAll({stored}, found({scanned(stored), scanned(stored, "/m/copy.mp3")}));
    ASSERT_EQ(merged.size(), 2);
    EXPECT_EQ(byPath(merged, "/m/a.mp3")->id, stored.id);
    EXPECT_NE(byPath(merged, "/m/copy.mp3")->id, stored.id);

    // One new file matching two vanished tracks.
    const Track twin = track("/m/a2.mp3");
    merged = mergeAll({stored, twin}, found({scanned(stored, "/m/b.mp3")}));
    EXPECT_TRUE(byPath(merged, "/m/a.mp3")->isMissing);
    EXPECT_TRUE(byPath(merged, "/m/a2.mp3")->isMissing);
    EXPECT_FALSE(byPath(merged, "/m/b.mp3")->isMissing);

    // Moved and changed at once.
    Track changed = scanned(stored, "/m/moved.mp3");
    changed.modifiedAt += 1;
    merged = mergeAll({stored}, found({changed}));
    EXPECT_TRUE(byPath(merged, "/m/a.mp3")->isMissing);
    EXPECT_NE(byPath(merged, "/m/moved.mp3")->id, stored.id);
}

TEST(LibraryMerge, UnchangedFilesKeepTheirRecordsThenNewFilesFollowThenTheRestGoMissing)
{
    Track kept = track("/m/kept.mp3", 2);
    kept.title = QStringLiteral("edited title");
    kept.artworkFileName = QStringLiteral("cover.jpg");
    kept.isMissing = true;
    const Track gone = track("/elsewhere/gone.mp3", 1); // a full rescan flags it even outside the folders
    const Track fresh = track("/m/fresh.mp3", 3);
    const QList<Track> merged = mergeAll({gone, kept}, found({fresh, scanned(kept)}));
    ASSERT_EQ(merged.size(), 3);
    Track unflagged = kept;
    unflagged.isMissing = false;
    EXPECT_EQ(merged.at(0), unflagged);
    EXPECT_EQ(merged.at(1).id, fresh.id);
    EXPECT_EQ(merged.at(2).id, gone.id);
    EXPECT_TRUE(merged.at(2).isMissing);
}

TEST(LibraryMerge, UnreadableFilesKeepTheirTracksAsTheyWere)
{
    Track stored = track("/m/broken.mp3");
    stored.title = QStringLiteral("kept");
    const LibraryMerge::Plan plan =
        LibraryMerge::plan({stored}, found({}, {FileLocation::fromPath("/m/broken.mp3")}), musicFolder, false, {});
    EXPECT_EQ(plan.unreadableURLs, QList<FileLocation>{FileLocation::fromPath("/m/broken.mp3")});
    EXPECT_EQ(LibraryMerge::finish(plan, {stored}), QList<Track>{stored});
}

TEST(LibraryMerge, AScopedRescanLeavesOtherFoldersAlone)
{
    const Track elsewhere = track("/other/x.mp3", 7, 7);
    const Track sibling = track("/m2/y.mp3", 8, 8); // a folder whose name only starts like the scanned one
    const Track here = track("/m/a.mp3");
    const FileLocation otherUnreadable = FileLocation::fromPath("/other/bad.mp3");
    const FileLocation hereUnreadable = FileLocation::fromPath("/m/bad.mp3");
    // The file of `elsewhere` now appears in the scanned folder: a new track; the old one is untouched.
    const LibraryMerge::Plan plan = LibraryMerge::plan({elsewhere, sibling, here}, found({scanned(elsewhere, "/m/x.mp3")}),
                                                       musicFolder, true, {otherUnreadable, hereUnreadable});
    EXPECT_EQ(plan.unreadableURLs, QList<FileLocation>{otherUnreadable});
    const QList<Track> merged = LibraryMerge::finish(plan, {elsewhere, sibling, here});
    EXPECT_EQ(*byPath(merged, "/other/x.mp3"), elsewhere);
    EXPECT_EQ(*byPath(merged, "/m2/y.mp3"), sibling);
    EXPECT_NE(byPath(merged, "/m/x.mp3")->id, elsewhere.id);
    EXPECT_TRUE(byPath(merged, "/m/a.mp3")->isMissing);

    // The unreadable files the scan found replace those known in the folder only.
    const FileLocation newlyUnreadable = FileLocation::fromPath("/m/new-bad.mp3");
    const LibraryMerge::Plan again = LibraryMerge::plan({here}, found({}, {newlyUnreadable}), musicFolder, true, {});
    EXPECT_EQ(LibraryMerge::unreadableURLs(again, {otherUnreadable, hereUnreadable}),
              (QList<FileLocation>{otherUnreadable, newlyUnreadable}));
}

TEST(LibraryMerge, TwoRecordsOfOnePathCollapseWhenTheFileIsFound)
{
    const Track earlier = track("/m/a.mp3");
    const Track later = track("/m/./a.mp3");
    QList<Track> merged = mergeAll({earlier, later}, found({scanned(earlier)}));
    ASSERT_EQ(merged.size(), 1);
    EXPECT_EQ(merged.first().id, later.id);

    merged = mergeAll({earlier, later}, found({}));
    ASSERT_EQ(merged.size(), 2);
    EXPECT_TRUE(merged.at(0).isMissing && merged.at(1).isMissing);
}

TEST(LibraryMerge, ChangesMadeWhileTheCoversWereReadAreKept)
{
    const Track unchanged = track("/m/a.mp3");
    const Track rewrittenStored = track("/m/b.mp3");
    Track rewritten = scanned(rewrittenStored);
    rewritten.fileSize += 1;
    const Track removedMeanwhile = track("/m/c.mp3");
    const QList<Track> before{unchanged, rewrittenStored, removedMeanwhile};
    const LibraryMerge::Plan plan = LibraryMerge::plan(
        before, found({scanned(unchanged), rewritten, scanned(removedMeanwhile)}), musicFolder, false, {});

    // Meanwhile the user edits the first track and removes the other two.
    Track edited = unchanged;
    edited.title = QStringLiteral("edited meanwhile");
    const QList<Track> merged = LibraryMerge::finish(plan, {edited});
    ASSERT_EQ(merged.size(), 1);
    EXPECT_EQ(merged.first(), edited);
}

// A sub-folder renamed while the rescan ran: the scan may have seen the old names, the new ones,
// or neither, and two of its files cannot be told apart by size and date.
TEST(LibraryMerge, TracksRepointedWhileTheRescanRanStayWhateverTheScanSaw)
{
    const QList<Track> before{track("/m/sub/a.mp3", 100), track("/m/sub/b.mp3", 100), track("/m/sub/c.mp3", 300)};
    QList<Track> now = before;
    QList<Track> renamedFiles;
    for (Track &current : now) {
        current.url = FileLocation::fromPath(QByteArray(current.url.path()).replace("/sub/", "/sub2/"));
        renamedFiles.append(scanned(current));
    }
    QList<Track> oldFiles;
    for (const Track &stored : before)
        oldFiles.append(scanned(stored));

    for (const QList<Track> &seen : {oldFiles, renamedFiles, QList<Track>{}}) {
        const LibraryMerge::Plan plan = LibraryMerge::plan(before, found(seen), musicFolder, false, {});
        const QList<Track> merged = LibraryMerge::finish(plan, now);
        EXPECT_EQ(merged.size(), 3);
        for (const Track &current : now) {
            const Track *kept = byPath(merged, current.url.path().constData());
            ASSERT_NE(kept, nullptr) << current.url.path().constData();
            EXPECT_EQ(kept->id, current.id);
            EXPECT_FALSE(kept->isMissing);
        }
    }
}

namespace {

class LibraryScannerTest : public ::testing::Test
{
protected:
    FileLocation root() const { return FileLocation::fromLocalFile(m_dir.path()); }
    FileLocation at(const QByteArray &relative) const { return root().appending(relative); }

    void touch(const QByteArray &relative, const QByteArray &bytes = "not audio")
    {
        const FileLocation file = at(relative);
        ASSERT_TRUE(FileOperations::system().createDirectories(file.deletingLastPathComponent()));
        ASSERT_TRUE(FileOperations::system().writeAtomically(file, bytes));
    }

    QList<QByteArray> relativePaths(const QList<FileLocation> &files) const
    {
        QList<QByteArray> paths;
        for (const FileLocation &file : files)
            paths.append(file.path().mid(root().path().size() + 1));
        return paths;
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(LibraryScannerTest, CollectsSupportedFilesAndSkipsHiddenOnes)
{
    touch("Song.MP3");
    touch("a.Flac");
    touch("song");
    touch("song.mp3.part");
    touch(".hidden.mp3");
    touch(".hidden/inside.mp3");
    touch("Live.flac/track.ogg"); // a folder named like an audio file is walked, not listed
    touch("notes.txt");
    QList<QByteArray> found = relativePaths(LibraryScanner::collectFiles({root()}).files);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (QList<QByteArray>{"Live.flac/track.ogg", "Song.MP3", "a.Flac"}));
}

TEST_F(LibraryScannerTest, NestedFoldersAndDotSegmentsListEachFileOnce)
{
    touch("A/B/x.mp3");
    touch("A/y.wav");
    const QList<FileLocation> files =
        LibraryScanner::collectFiles({root().appending(QByteArray("A")), root().appending(QByteArray("A/./B/../B"))}).files;
    EXPECT_EQ(files.size(), 2);
    for (const FileLocation &file : files)
        EXPECT_EQ(file, file.standardized());
}

TEST_F(LibraryScannerTest, FindsNamesThatAreNotUtf8AndLinksToFoldersAreNotFollowed)
{
    const QByteArray gbkName("\xc7\xe7\xcc\xec.ogg"); // "晴天" in GBK
    touch("gbk/" + gbkName);
    ASSERT_EQ(::symlink(m_dir.path().toLocal8Bit().constData(), at("gbk/loop").cPath()), 0);
    const QList<FileLocation> files = LibraryScanner::collectFiles({at("gbk")}).files;
    ASSERT_EQ(files.size(), 1);
    EXPECT_EQ(files.first().fileName(), gbkName);
    EXPECT_EQ(FileLocation::fromUrlText(files.first().urlText()), files.first());
}

TEST_F(LibraryScannerTest, OneFilePerDeviceAndInodeAndUnopenableFoldersAreListed)
{
    touch("music/real.mp3");
    touch("elsewhere/real.flac");
    ASSERT_EQ(::symlink(at("music/real.mp3").cPath(), at("music/a-link.mp3").cPath()), 0);
    ASSERT_EQ(::symlink(at("elsewhere/real.flac").cPath(), at("music/b-link.flac").cPath()), 0);
    const LibraryScanner::CollectedFiles collected
        = LibraryScanner::collectFiles({at("music"), at("missing"), at("elsewhere")});
    QList<QByteArray> found = relativePaths(collected.files);
    std::sort(found.begin(), found.end());
    EXPECT_EQ(found, (QList<QByteArray>{"elsewhere/real.flac", "music/real.mp3"}));
    EXPECT_EQ(collected.unopenableFolders, QList<FileLocation>{at("missing")});

    const ScanResult result = LibraryScanner::scan({at("missing")}, TagLibMetadataReader());
    EXPECT_TRUE(result.tracks.isEmpty());
    EXPECT_EQ(result.unreadable, QList<FileLocation>{at("missing")});
}

TEST_F(LibraryScannerTest, ScanIsInPathOrderWithUnreadableFilesApart)
{
    ASSERT_FALSE(AudioFixture::makeTone(m_dir.path(), QStringLiteral("track10.mp3"), 0.5).isEmpty());
    ASSERT_FALSE(AudioFixture::makeTone(m_dir.path(), QStringLiteral("track2.flac"), 0.5).isEmpty());
    ASSERT_FALSE(AudioFixture::makeTone(m_dir.path(), QStringLiteral("B.wav"), 0.5).isEmpty());
    touch("junk.mp3", QByteArray(4096, '\x5a'));
    touch("empty.m4a", QByteArray());
    touch("damaged.ape"); // never read: still a track

    const TagLibMetadataReader reader;
    const ScanResult result = LibraryScanner::scan({root()}, reader);
    QList<QByteArray> names;
    for (const Track &track : result.tracks)
        names.append(track.url.fileName());
    EXPECT_EQ(names, (QList<QByteArray>{"B.wav", "damaged.ape", "track10.mp3", "track2.flac"}));
    EXPECT_EQ(relativePaths(result.unreadable), (QList<QByteArray>{"empty.m4a", "junk.mp3"}));
    for (const Track &track : result.tracks)
        EXPECT_FALSE(track.artworkFileName.has_value());
    EXPECT_NEAR(result.tracks.at(0).duration, 0.5, 0.05);
    EXPECT_EQ(result.tracks.at(1).duration, 0.0);
}

TEST_F(LibraryScannerTest, SkippingUnchangedFilesGivesTheSameMergedLibrary)
{
    for (int i = 0; i < 6; ++i)
        ASSERT_FALSE(AudioFixture::makeTone(m_dir.path(), QStringLiteral("t%1.flac").arg(i), 0.3).isEmpty());
    const TagLibMetadataReader reader;
    const QList<Track> library = LibraryScanner::scan({root()}, reader).tracks;
    // One file rewritten since: it must be read again even when the other files are skipped.
    ASSERT_FALSE(AudioFixture::makeTone(m_dir.path(), QStringLiteral("t3.flac"), 0.6).isEmpty());

    LibraryScanner::KnownFiles known;
    for (const Track &track : library)
        known.insert(track.url.path(), FileFingerprint::of(track));
    auto mergeWith = [&](const ScanResult &scan) {
        return LibraryMerge::finish(LibraryMerge::plan(library, scan, {root()}, false, {}), library);
    };
    QList<Track> full = mergeWith(LibraryScanner::scan({root()}, reader));
    QList<Track> skipping = mergeWith(LibraryScanner::scan({root()}, reader, known));
    ASSERT_EQ(full.size(), skipping.size());
    for (qsizetype i = 0; i < full.size(); ++i) {
        EXPECT_EQ(full.at(i).url, skipping.at(i).url);
        EXPECT_EQ(full.at(i).title, skipping.at(i).title);
        EXPECT_EQ(full.at(i).duration, skipping.at(i).duration);
        if (full.at(i).url.fileName() != "t3.flac") {
            EXPECT_EQ(full.at(i), skipping.at(i)); // unchanged: the stored record itself
        }
    }
}
