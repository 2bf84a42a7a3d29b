#include "OrganizeFixture.h"

#include "Organize/FileOrganizer.h"
#include "Organize/OrganizeURLMapping.h"

#include "FaultInjectingFileOperations.h"

#include <gtest/gtest.h>

#include <unistd.h>

using namespace OrganizeFixture;

namespace {

const QString byArtist = QStringLiteral("{artist}/{title}");

class FileOrganizerPlanTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_temporary.isValid()); }

    FileLocation at(const QByteArray &relative) const { return m_root.appending(relative); }
    Track existingTrack(const QByteArray &relative, const QString &title, const QString &artist = "Artist")
    {
        writeFile(at(relative), relative);
        return trackFor(at(relative), artist, title);
    }
    QList<OrganizePlanItem> plan(const QList<Track> &tracks, const QString &templateText = byArtist)
    {
        return m_organizer.plan(tracks, templateText, m_root.appending(QByteArray("out")));
    }
    QByteArray destinationBelowOut(const OrganizePlanItem &item) const
    {
        return item.destination.path().mid(m_root.appending(QByteArray("out/")).path().size());
    }

    QTemporaryDir m_temporary;
    FileLocation m_root = locationOf(m_temporary);
    OrganizeUndoStore m_undo { m_root.appending(QByteArray("undo")), 50 };
    FileOrganizer m_organizer { m_undo };
};

TEST_F(FileOrganizerPlanTest, EmptyTrackListPlansNothing)
{
    EXPECT_TRUE(plan({}).isEmpty());
}

TEST_F(FileOrganizerPlanTest, TrackAlreadyInPlaceYieldsNoItemAndTakesNoName)
{
    const Track placed = existingTrack("out/Artist/Song.flac", "Song");
    const Track other = existingTrack("in/other.flac", "Song");

    const QList<OrganizePlanItem> items = plan({ placed, other });

    ASSERT_EQ(items.size(), 1);
    // The file in place still exists, so the other track is numbered by the file system check.
    EXPECT_EQ(destinationBelowOut(items[0]), "Artist/Song (2).flac");
}

TEST_F(FileOrganizerPlanTest, SameDestinationIsNumberedInPlanOrder)
{
    const QList<OrganizePlanItem> items = plan({ existingTrack("in/a.flac", "Song"),
        existingTrack("in/b.flac", "Song"), existingTrack("in/c.flac", "Song") });

    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(destinationBelowOut(items[0]), "Artist/Song.flac");
    EXPECT_EQ(destinationBelowOut(items[1]), "Artist/Song (2).flac");
    EXPECT_EQ(destinationBelowOut(items[2]), "Artist/Song (3).flac");
    EXPECT_FALSE(items[0].conflictResolved);
    EXPECT_TRUE(items[1].conflictResolved);
    EXPECT_TRUE(items[2].conflictResolved);
}

TEST_F(FileOrganizerPlanTest, ExistingFilesAndPlannedNamesAreBothSkipped)
{
    writeFile(at("out/Artist/Song.flac"), "old");
    writeFile(at("out/Artist/Song (3).flac"), "old");
    const QList<OrganizePlanItem> items = plan({ existingTrack("in/a.flac", "Song"),
        existingTrack("in/b.flac", "Song"), existingTrack("in/c.flac", "Song") });

    ASSERT_EQ(items.size(), 3);
    EXPECT_EQ(destinationBelowOut(items[0]), "Artist/Song (2).flac");
    EXPECT_EQ(destinationBelowOut(items[1]), "Artist/Song (4).flac");
    EXPECT_EQ(destinationBelowOut(items[2]), "Artist/Song (5).flac");
}

TEST_F(FileOrganizerPlanTest, FileListedTwiceIsPlannedOnce)
{
    const Track song = existingTrack("in/song.flac", "Song");
    Track again = song;
    again.url = at("in/./song.flac");

    const QList<OrganizePlanItem> items = plan({ song, again });

    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(destinationBelowOut(items[0]), "Artist/Song.flac");
    ASSERT_TRUE(m_organizer.apply({ items[0], OrganizePlanItem { again.url, at("out/other.flac"), false } }, false));
    EXPECT_EQ(m_undo.entries().constLast().items, items);
}

TEST_F(FileOrganizerPlanTest, DanglingLinkAtTheDestinationCountsAsTaken)
{
    const Track song = existingTrack("in/song.flac", "Song");
    ASSERT_TRUE(FileOperations::system().createDirectories(at("out/Artist")));
    ASSERT_EQ(::symlink("/nonexistent/target", at("out/Artist/Song.flac").cPath()), 0);

    const QList<OrganizePlanItem> items = plan({ song });

    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(destinationBelowOut(items[0]), "Artist/Song (2).flac");
    ASSERT_TRUE(m_organizer.apply(items, false));
    EXPECT_EQ(contentOf(items[0].destination), "in/song.flac");
}

TEST_F(FileOrganizerPlanTest, NameWithoutExtensionGetsTheNumberAtTheEnd)
{
    const QList<OrganizePlanItem> items
        = plan({ existingTrack("in/a", "Song"), existingTrack("in/b", "Song") });

    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(destinationBelowOut(items[1]), "Artist/Song (2)");
}

TEST_F(FileOrganizerPlanTest, LetterCaseMakesDifferentNamesButUnicodeFormsDoNot)
{
    const QString composed = QStringLiteral("Caf\u00e9");
    const QString decomposed = QStringLiteral("Cafe\u0301");
    const QList<OrganizePlanItem> items
        = plan({ existingTrack("in/a.flac", "song"), existingTrack("in/b.flac", "Song"),
            existingTrack("in/c.flac", composed), existingTrack("in/d.flac", decomposed) });

    ASSERT_EQ(items.size(), 4);
    EXPECT_FALSE(items[1].conflictResolved);
    EXPECT_FALSE(items[2].conflictResolved);
    EXPECT_TRUE(items[3].conflictResolved);
    EXPECT_EQ(destinationBelowOut(items[3]), "Artist/" + (decomposed + " (2).flac").toUtf8());
}

TEST_F(FileOrganizerPlanTest, FileOfAnotherItemCountsAsTaken)
{
    // b's file sits where a is to go; b moves away in the same plan, but the name is taken now.
    const Track a = existingTrack("in/a.flac", "B");
    const Track b = existingTrack("out/Artist/B.flac", "Elsewhere");

    const QList<OrganizePlanItem> items = plan({ a, b });

    ASSERT_EQ(items.size(), 2);
    EXPECT_EQ(destinationBelowOut(items[0]), "Artist/B (2).flac");
    EXPECT_EQ(destinationBelowOut(items[1]), "Artist/Elsewhere.flac");
}

TEST_F(FileOrganizerPlanTest, NumberedLongNameStaysWithinTheLimit)
{
    const QString title(84, QChar(u'歌')); // 252 bytes: with ".flac" the number must take room
    const QList<OrganizePlanItem> items
        = plan({ existingTrack("in/a.flac", title), existingTrack("in/b.flac", title) });

    ASSERT_EQ(items.size(), 2);
    EXPECT_LE(items[0].destination.fileName().size(), 255);
    EXPECT_LE(items[1].destination.fileName().size(), 255);
    EXPECT_TRUE(items[1].destination.fileName().endsWith(" (2).flac"));
}

TEST_F(FileOrganizerPlanTest, ItemKeepsTheTracksOwnLocation)
{
    Track track = existingTrack("in/a.flac", "Song");
    track.url = at("in/./sub/../a.flac");

    const QList<OrganizePlanItem> items = plan({ track });

    ASSERT_EQ(items.size(), 1);
    EXPECT_EQ(items[0].source, track.url);
    EXPECT_EQ(items[0].destination, at("out/Artist/Song.flac"));
    EXPECT_EQ(OrganizeURLMapping::apply(items).value(at("in/a.flac")), at("out/Artist/Song.flac"));
    EXPECT_EQ(OrganizeURLMapping::undo(items).value(at("out/Artist/Song.flac")), at("in/a.flac"));
}

TEST(FileOrganizerVolumes, NearestExistingFolderDecides)
{
    QTemporaryDir here;
    const FileLocation folder = locationOf(here);
    FileOperations &files = FileOperations::system();

    EXPECT_FALSE(
        FileOrganizer::crossesVolumes(folder, folder.appending(QByteArray("not/yet/made.flac")), files));
    if (auto other = folderOnOtherFileSystem(folder)) {
        EXPECT_TRUE(FileOrganizer::crossesVolumes(
            folder, locationOf(*other).appending(QByteArray("new/x.flac")), files));
    }
}

TEST(FileOrganizerVolumes, UnexaminableLocationCrosses)
{
    QTemporaryDir here;
    const FileLocation folder = locationOf(here);
    FaultInjectingFileOperations files;
    for (int i = 0; i < 64; ++i)
        files.failOnce(FileOperations::Operation::Status, EIO, folder.path());

    EXPECT_TRUE(FileOrganizer::crossesVolumes(
        folder.appending(QByteArray("a.flac")), FileLocation::fromPath("/"), files));
    EXPECT_TRUE(FileOrganizer::crossesVolumes(FileLocation(), folder, FileOperations::system()));
}

} // namespace
