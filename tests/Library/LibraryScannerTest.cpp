#include "AudioFixture.h"
#include "Library/LibraryScanner.h"
#include "Library/LibraryMerge.h"
#include "Library/TagLibMetadataReader.h"
#include "Storage/FileOperations.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

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
