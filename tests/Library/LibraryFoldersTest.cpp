#include "AudioFixture.h"
#include "FakeCoverReader.h"
#include "FaultInjectingFileOperations.h"
#include "Library/FolderCoverage.h"
#include "Library/LibraryStore.h"
#include "Library/TagLibMetadataReader.h"
#include "Storage/JsonFields.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

// A library store over a temporary data folder, with a music folder of real audio files.
class LibraryFoldersTest : public ::testing::Test
{
protected:
    FileLocation music(const QByteArray &relative = {}) const
    {
        const FileLocation root = FileLocation::fromLocalFile(m_music.path());
        return relative.isEmpty() ? root : root.appending(relative);
    }
    QString musicPath(const QString &relative) const { return m_music.path() + u'/' + relative; }

    void tone(const QString &relative, double seconds = 0.4)
    {
        const QString folder = QFileInfo(musicPath(relative)).path();
        QDir().mkpath(folder);
        ASSERT_FALSE(AudioFixture::makeTone(folder, QFileInfo(relative).fileName(), seconds).isEmpty());
    }

    const Track *trackAt(const QByteArray &relative) const
    {
        for (const Track &track : m_store.index().tracks) {
            if (track.url == music(relative))
                return &track;
        }
        return nullptr;
    }

    void importMusic()
    {
        ASSERT_TRUE(waitFor(m_store.addFolder(music(), m_reader)));
    }

    QTemporaryDir m_data;
    QTemporaryDir m_music;
    FaultInjectingFileOperations m_files;
    LibraryStore m_store{FileLocation::fromLocalFile(m_data.path()).appending(QByteArray("Quillmere")), m_files};
    std::shared_ptr<const MetadataReading> m_reader = std::make_shared<TagLibMetadataReader>();
};

} // namespace

TEST_F(LibraryFoldersTest, ImportListsTheFolderOnceAndReadsItsFiles)
{
    tone(QStringLiteral("A/one.flac"));
    tone(QStringLiteral("A/two.mp3"));
    importMusic();
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A/./"), m_reader)));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A"), m_reader)));
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music(), music("A")}));
    ASSERT_EQ(m_store.index().tracks.size(), 2);
    EXPECT_NEAR(trackAt("A/one.flac")->duration, 0.4, 0.05);
    EXPECT_EQ(trackAt("A/two.mp3")->title, QStringLiteral("two"));

    LibraryStore reloaded(FileLocation::fromLocalFile(m_data.path()).appending(QByteArray("Quillmere")));
    reloaded.load();
    EXPECT_EQ(reloaded.index().tracks, m_store.index().tracks);
    EXPECT_EQ(reloaded.index().folders, m_store.index().folders);
}

TEST_F(LibraryFoldersTest, RescanKeepsIdentityOfMovedAndRewrittenFilesAndFlagsVanishedOnes)
{
    tone(QStringLiteral("moved.flac"));
    tone(QStringLiteral("rewritten.flac"));
    tone(QStringLiteral("vanished.flac"), 0.7);
    importMusic();
    const QUuid movedID = trackAt("moved.flac")->id;
    const QUuid rewrittenID = trackAt("rewritten.flac")->id;
    const QUuid vanishedID = trackAt("vanished.flac")->id;

    QDir().mkpath(musicPath(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::rename(musicPath(QStringLiteral("moved.flac")), musicPath(QStringLiteral("sub/moved.flac"))));
    tone(QStringLiteral("rewritten.flac"), 1.2);
    ASSERT_TRUE(QFile::remove(musicPath(QStringLiteral("vanished.flac"))));
    ASSERT_TRUE(waitFor(m_store.rescan(m_reader)));

    ASSERT_EQ(m_store.index().tracks.size(), 3);
    EXPECT_EQ(trackAt("sub/moved.flac")->id, movedID);
    EXPECT_EQ(trackAt("rewritten.flac")->id, rewrittenID);
    EXPECT_NEAR(trackAt("rewritten.flac")->duration, 1.2, 0.05);
    EXPECT_TRUE(trackAt("vanished.flac")->isMissing);

    // Back at its stored path: the same track again, unflagged.
    tone(QStringLiteral("vanished.flac"), 0.7);
    ASSERT_TRUE(waitFor(m_store.rescan(m_reader)));
    EXPECT_EQ(m_store.index().tracks.size(), 3);
    EXPECT_EQ(trackAt("vanished.flac")->id, vanishedID);
    EXPECT_FALSE(trackAt("vanished.flac")->isMissing);
}

TEST_F(LibraryFoldersTest, TracksRemovedOrEditedDuringARescanStayAsTheUserLeftThem)
{
    tone(QStringLiteral("a.flac"));
    tone(QStringLiteral("b.flac"));
    importMusic();
    Track edited = *trackAt("a.flac");
    const QUuid removedID = trackAt("b.flac")->id;

    QFuture<void> rescan = m_store.rescan(m_reader);
    edited.title = QStringLiteral("edited while scanning");
    ASSERT_TRUE(m_store.updateTrack(edited));
    m_store.removeTrack(removedID);
    ASSERT_TRUE(waitFor(rescan));

    ASSERT_EQ(m_store.index().tracks.size(), 1);
    EXPECT_EQ(m_store.index().tracks.first(), edited);
}

TEST_F(LibraryFoldersTest, ScopedRescanOfAnUnknownFolderDoesNothing)
{
    tone(QStringLiteral("a.flac"));
    importMusic();
    const int writes = m_files.calls(FileOperations::Operation::WriteAtomically);
    ASSERT_TRUE(waitFor(m_store.rescan(music("elsewhere"), m_reader)));
    EXPECT_EQ(m_files.calls(FileOperations::Operation::WriteAtomically), writes);
}

TEST_F(LibraryFoldersTest, RemovingAFolderKeepsTheTracksOfASiblingWithALongerName)
{
    tone(QStringLiteral("A/x.flac"));
    tone(QStringLiteral("AB/y.flac"));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A"), m_reader)));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("AB"), m_reader)));
    m_store.removeFolder(music("A/"));
    EXPECT_EQ(m_store.index().folders, QList<FileLocation>{music("AB")});
    ASSERT_EQ(m_store.index().tracks.size(), 1);
    EXPECT_NE(trackAt("AB/y.flac"), nullptr);
    EXPECT_TRUE(QFile::exists(musicPath(QStringLiteral("A/x.flac"))));
}

TEST_F(LibraryFoldersTest, RenameRefusesBadNamesAndExistingDestinationsWithoutTouchingTheDisk)
{
    QDir().mkpath(musicPath(QStringLiteral("A")));
    QDir().mkpath(musicPath(QStringLiteral("B")));
    const QStringList invalid{QString(), QStringLiteral("   "), QStringLiteral("."), QStringLiteral(".."),
                              QStringLiteral("a/b"), QStringLiteral("a:b"), QStringLiteral("a") + QChar(0) + u'b'};
    for (const QString &name : invalid) {
        const auto renamed = m_store.renameFolder(music("A"), name);
        ASSERT_FALSE(renamed);
        EXPECT_EQ(std::get<FolderRenameError>(renamed.error()).kind, FolderRenameError::Kind::InvalidName);
    }
    for (const QString &name : {QStringLiteral(" B\n"), QStringLiteral("A")}) {
        const auto renamed = m_store.renameFolder(music("A"), name);
        ASSERT_FALSE(renamed);
        EXPECT_EQ(LibraryStore::describe(renamed.error()),
                  QStringLiteral("已存在同名文件夹：%1。").arg(name.trimmed()));
    }
    EXPECT_TRUE(QFileInfo(musicPath(QStringLiteral("A"))).isDir());
}

TEST_F(LibraryFoldersTest, RenameMovesTracksNestedFoldersAndUnreadableFiles)
{
    tone(QStringLiteral("A/x/y.flac"));
    tone(QStringLiteral("AB/z.flac"));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A"), m_reader)));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A/x"), m_reader)));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("AB"), m_reader)));
    const QUuid id = trackAt("A/x/y.flac")->id;

    const auto renamed = m_store.renameFolder(music("A"), QStringLiteral(" C "));
    ASSERT_TRUE(renamed);
    EXPECT_EQ(*renamed, music("C"));
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music("C"), music("C/x"), music("AB")}));
    EXPECT_EQ(trackAt("C/x/y.flac")->id, id);
    EXPECT_NE(trackAt("AB/z.flac"), nullptr);
    EXPECT_TRUE(QFile::exists(musicPath(QStringLiteral("C/x/y.flac"))));
    EXPECT_FALSE(m_store.lastError().has_value());
}

TEST_F(LibraryFoldersTest, ARenameThatCannotBeSavedIsRolledBack)
{
    tone(QStringLiteral("A/y.flac"));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A"), m_reader)));
    const LibraryIndex before = m_store.index();
    m_files.failOnce(FileOperations::Operation::WriteAtomically, ENOSPC, "library.json");
    const auto renamed = m_store.renameFolder(music("A"), QStringLiteral("C"));
    ASSERT_FALSE(renamed);
    EXPECT_EQ(std::get<FileError>(renamed.error()).code, ENOSPC);
    EXPECT_EQ(m_store.index().tracks, before.tracks);
    EXPECT_EQ(m_store.index().folders, before.folders);
    EXPECT_TRUE(QFile::exists(musicPath(QStringLiteral("A/y.flac"))));
    EXPECT_FALSE(QFile::exists(musicPath(QStringLiteral("C"))));
    ASSERT_TRUE(m_store.lastError().has_value());
    EXPECT_EQ(m_store.lastError()->code, ENOSPC);
}

TEST_F(LibraryFoldersTest, EnsureFoldersCoveringAddsOnlyUncoveredDestinations)
{
    QDir().mkpath(musicPath(QStringLiteral("A")));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A"), m_reader)));
    const int writes = m_files.calls(FileOperations::Operation::WriteAtomically);
    EXPECT_FALSE(m_store.ensureFoldersCovering({music("A/deep/er"), music("A")}));
    EXPECT_EQ(m_files.calls(FileOperations::Operation::WriteAtomically), writes);

    EXPECT_TRUE(m_store.ensureFoldersCovering({music("B"), music("B/inner")}));
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music("A"), music("B")}));
}

TEST(FolderCoverage, RootCoversEverythingAndRepeatedPathsCollapse)
{
    const FileLocation root = FileLocation::fromPath("/");
    EXPECT_EQ(FolderCoverage::ensureCovered(FileLocation::fromPath("/x/y"), {root}), QList<FileLocation>{root});
    EXPECT_EQ(FolderCoverage::ensureCovered(FileLocation::fromPath("/Music/A/b"),
                                            {FileLocation::fromPath("/Music/A"), FileLocation::fromPath("/Music/A/")}),
              QList<FileLocation>{FileLocation::fromPath("/Music/A")});
}

TEST_F(LibraryFoldersTest, CoversAreStoredFromTheScanWithoutReadingAnyFileTwice)
{
    tone(QStringLiteral("with.flac"));
    tone(QStringLiteral("without.flac"));
    auto reader = std::make_shared<FakeCoverReader>(
        QHash<QByteArray, QByteArray>{{music("with.flac").path(), QByteArray("cover bytes")}});
    ASSERT_TRUE(waitFor(m_store.addFolder(music(), reader)));

    const Track *with = trackAt("with.flac");
    ASSERT_TRUE(with->artworkFileName.has_value());
    EXPECT_EQ(*with->artworkFileName, Json::uuidText(with->id) + QStringLiteral(".jpg"));
    EXPECT_FALSE(trackAt("without.flac")->artworkFileName.has_value());
    EXPECT_EQ(reader->readPaths.count(music("with.flac").path()), 1);
    EXPECT_EQ(reader->readPaths.count(music("without.flac").path()), 1);
    // The cover holds the bytes read, and the scan's temporary names are gone.
    const QDir covers(m_data.filePath(QStringLiteral("Quillmere/covers")));
    EXPECT_EQ(covers.entryList(QDir::Files | QDir::Hidden), QStringList{*with->artworkFileName});
    QFile cover(covers.filePath(*with->artworkFileName));
    ASSERT_TRUE(cover.open(QIODevice::ReadOnly));
    EXPECT_EQ(cover.readAll(), QByteArray("cover bytes"));

    // An unchanged library reads nothing again.
    reader->readPaths.clear();
    ASSERT_TRUE(waitFor(m_store.rescan(reader)));
    EXPECT_TRUE(reader->readPaths.isEmpty());
}
