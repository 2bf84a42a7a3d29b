#include "FileCommandFixture.h"

#include "AudioFixture.h"

namespace {

class FolderCommandTest : public FileCommandFixture
{
protected:
    FileLocation music() const { return FileLocation::fromLocalFile(temporary.path()).appending(QByteArrayLiteral("Music")); }
    FileLocation tone(const QString &relativePath)
    {
        const QString folder = music().displayPath() + u'/' + relativePath.section(u'/', 0, -2);
        QDir().mkpath(folder);
        return FileLocation::fromLocalFile(AudioFixture::makeTone(folder, relativePath.section(u'/', -1), 0.2));
    }

    // One track in Music/A, the library's folder, shown in the list.
    Track seedFolderA(const QByteArray &fileName = "song.mp3")
    {
        const Track track = trackFor(QStringLiteral("Song"), makeFile("A/" + fileName));
        seed({track}, {music().appending(QByteArrayLiteral("A"))});
        buildModel();
        model->select(LibrarySelection::folder(music().appending(QByteArrayLiteral("A"))));
        return track;
    }
};

} // namespace

TEST_F(FolderCommandTest, TwoDroppedFilesOfOneFolderImportItOnce)
{
    const FileLocation first = tone(QStringLiteral("Drop/one.flac"));
    const FileLocation second = tone(QStringLiteral("Drop/two.flac"));
    buildModel();

    model->importFolders({first, second, music().appending(QByteArrayLiteral("Drop/gone.flac"))});
    EXPECT_TRUE(model->isScanning());
    awaitIdle();

    EXPECT_EQ(model->library().index().folders, QList<FileLocation>{music().appending(QByteArrayLiteral("Drop"))});
    EXPECT_EQ(model->tracks().size(), 2);
    EXPECT_FALSE(model->statusMessage());
}

TEST_F(FolderCommandTest, LibraryChangesAreRefusedWhileAScanRuns)
{
    const Track track = seedFolderA();
    const FileLocation folder = music().appending(QByteArrayLiteral("A"));
    model->rescan();
    ASSERT_TRUE(model->isScanning());

    model->importFolders({music()});
    EXPECT_EQ(model->statusMessage(), QStringLiteral("正在扫描音乐库，请稍后再导入。"));
    const QString busy = QStringLiteral("正在扫描音乐库，请稍后再试。");
    EXPECT_EQ(model->removeFolder(folder), busy);
    EXPECT_EQ(model->renameFolder(folder, QStringLiteral("B")), busy);
    EXPECT_EQ(model->removeTracksFromLibrary({track.id}), busy);
    EXPECT_EQ(model->removeMissingTracks(), busy);
    awaitIdle();

    EXPECT_EQ(model->library().index().folders, QList<FileLocation>{folder});
    EXPECT_EQ(model->tracks().size(), 1);
    EXPECT_TRUE(QFileInfo::exists(folder.displayPath()));
}

TEST_F(FolderCommandTest, AFailedRenameChangesNothingAndRemovingTheShownFolderShowsAllMusic)
{
    seedFolderA();
    const FileLocation folder = music().appending(QByteArrayLiteral("A"));
    QDir().mkpath(music().appending(QByteArrayLiteral("Taken")).displayPath());
    EXPECT_EQ(model->renameFolder(folder, QStringLiteral("x/y")),
              QStringLiteral("重命名失败：文件夹名称不能为空，也不能包含“/”或“:”。"));
    EXPECT_EQ(model->renameFolder(folder, QStringLiteral("Taken")), QStringLiteral("重命名失败：已存在同名文件夹：Taken。"));
    EXPECT_EQ(model->selection(), LibrarySelection::folder(folder));

    EXPECT_EQ(model->removeFolder(folder), QStringLiteral("已移除文件夹：A。"));

    EXPECT_EQ(model->selection(), LibrarySelection::allMusic());
    EXPECT_TRUE(model->tracks().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(folder.displayPath() + QStringLiteral("/song.mp3")));
}

TEST_F(FolderCommandTest, ARenameKeepsTheFolderShownAndThePlayingTrackGoesOnFromItsNewPlace)
{
    for (const bool playing : {true, false}) {
        const Track track = seedFolderA();
        model->play(track.id);
        environment.engine->setPosition(83);
        if (!playing)
            environment.engine->pause();

        EXPECT_EQ(model->renameFolder(music().appending(QByteArrayLiteral("A")), QStringLiteral("B")),
                  QStringLiteral("已将文件夹重命名为「B」。"));

        const FileLocation renamed = music().appending(QByteArrayLiteral("B"));
        EXPECT_EQ(model->selection(), LibrarySelection::folder(renamed));
        EXPECT_EQ(environment.engine->loaded().constLast(), renamed.appending(QByteArrayLiteral("song.mp3")));
        EXPECT_DOUBLE_EQ(environment.engine->position(), 83);
        EXPECT_EQ(environment.engine->isPlaying(), playing);
        QDir(renamed.displayPath()).removeRecursively();
    }
}

TEST_F(FolderCommandTest, ARenameReloadsAConvertedTrackFromItsCachedCopyOnly)
{
    const Track track = seedFolderA("song.ogg");
    Track renamed = track;
    renamed.url = music().appending(QByteArrayLiteral("B/song.ogg"));
    const FileLocation copy = FileLocation::fromPath("/cache/song.m4a");
    environment.transcoding->setCached(track, FileLocation::fromPath("/cache/old.m4a"));
    environment.transcoding->setCached(renamed, copy);
    model->play(track.id);

    model->renameFolder(music().appending(QByteArrayLiteral("A")), QStringLiteral("B"));
    EXPECT_EQ(environment.engine->loaded(), (QList{FileLocation::fromPath("/cache/old.m4a"), copy}));

    // Without a cached copy the engine keeps what it plays.
    model->renameFolder(music().appending(QByteArrayLiteral("B")), QStringLiteral("C"));
    EXPECT_EQ(environment.engine->loaded().size(), 2);
}

TEST_F(FolderCommandTest, TrackRemovalNamesOneTrackCountsSeveralAndReportsASaveFailure)
{
    const Track a = makeTrack(QStringLiteral("A")), b = makeTrack(QStringLiteral("B")), c = makeTrack(QStringLiteral("C"));
    seed({a, b, c});
    buildModel();
    model->dismissStatus();

    EXPECT_EQ(model->removeTracksFromLibrary({}), QString());
    EXPECT_FALSE(model->statusMessage());
    EXPECT_EQ(model->removeTracksFromLibrary({a.id, a.id}), QStringLiteral("已从音乐库移除《A》，文件仍保留在磁盘上。"));
    files.failOnce(FileOperations::Operation::WriteAtomically, EIO, "library.json");
    const QString failed = model->removeTracksFromLibrary({b.id, c.id});
    EXPECT_TRUE(failed.startsWith(QStringLiteral("保存失败：")));
    EXPECT_EQ(model->statusMessage(), failed);
    EXPECT_TRUE(model->tracks().isEmpty());
}

TEST_F(FolderCommandTest, RelocatingToAFileOutsideTheLibraryAddsItsFolderAndSaveFailuresAreReported)
{
    const Track missing = makeMissingTrack(QStringLiteral("Lost")), gone = makeMissingTrack(QStringLiteral("Gone")),
                other = makeMissingTrack(QStringLiteral("Other"));
    seed({missing, gone, other}, {FileLocation::fromPath("/Music")});
    buildModel();
    const FileLocation found = makeFile("Elsewhere/found.mp3");

    EXPECT_EQ(model->relocateTrack(missing, found), QStringLiteral("已重新定位《Lost》：found.mp3"));

    EXPECT_EQ(model->tracks().constFirst().url, found);
    EXPECT_FALSE(model->tracks().constFirst().isMissing);
    EXPECT_TRUE(model->library().index().folders.contains(found.deletingLastPathComponent()));

    files.failOnce(FileOperations::Operation::WriteAtomically, EIO, "library.json");
    EXPECT_TRUE(model->relocateTrack(gone, makeFile("Elsewhere/again.mp3")).startsWith(QStringLiteral("保存失败：")));
    files.failOnce(FileOperations::Operation::WriteAtomically, EIO, "library.json");
    const QString failed = model->removeMissingTracks();
    EXPECT_TRUE(failed.startsWith(QStringLiteral("保存失败："))) << failed.toStdString();
    EXPECT_EQ(model->statusMessage(), failed);
    EXPECT_EQ(model->tracks().size(), 2);
}
