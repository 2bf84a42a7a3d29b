#include "FileCommandFixture.h"

#include "Library/IndexStore.h"
#include "Tags/TagEditUndoStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>

namespace {

class TagEditCommandTest : public FileCommandFixture
{
protected:
    const Track &indexed(const Track &track) const
    {
        return *std::ranges::find(model->library().index().tracks, track.id, &Track::id);
    }
};

} // namespace

TEST_F(TagEditCommandTest, ABatchReportsEachFileAsItStartsJournalsEachAndSavesTheIndexOnce)
{
    const QList<Track> tracks = seedTracks(3);
    buildModel();
    recordProgress();
    // A second index save during the run would fail and show.
    files.failOnce(FileOperations::Operation::WriteAtomically, EIO, "library.json", 1);

    EXPECT_EQ(await(model->applyTagEdit({.genre = u"Rock"_qs}, tracks)), std::nullopt);

    EXPECT_EQ(progress, (QStringList{"正在写入 0/3…", "正在写入 1/3…", "正在写入 2/3…", "正在写入 3/3…", "-"}));
    EXPECT_EQ(model->statusMessage(), QStringLiteral("已更新 3 首歌曲的标签。"));
    ASSERT_EQ(model->tagUndoStore().entries().size(), 3);
    EXPECT_EQ(model->tagUndoCount(), 3);
    for (qsizetype i = 0; i < 3; ++i) {
        const TagUndoEntry &entry = model->tagUndoStore().entries().at(i);
        EXPECT_EQ(entry.url, tracks.at(i).url);
        EXPECT_EQ(entry.before, titled(tracks.at(i).title));
        EXPECT_EQ(entry.after.genre, QStringLiteral("Rock"));
        EXPECT_EQ(model->tracks().at(i).genre, QStringLiteral("Rock"));
    }
    EXPECT_FALSE(model->library().lastError());
}

TEST_F(TagEditCommandTest, FailuresAreCountedAndTheFirstTwoNamed)
{
    const QList<Track> tracks = seedTracks(3);
    environment.tags->failReading(tracks.at(1).url);
    environment.tags->failWriting(tracks.at(2).url, QStringLiteral("保存标签失败"));
    buildModel();

    const std::optional<QString> text = await(model->applyTagEdit(titled(QStringLiteral("新")), tracks));

    const QString expected = QStringLiteral("已更新 1 首，2 项失败：《B》无法读取标签；《C》：保存标签失败");
    EXPECT_EQ(text, expected);
    EXPECT_EQ(model->statusMessage(), expected);
    EXPECT_EQ(model->tagUndoCount(), 1);
}

TEST_F(TagEditCommandTest, AJournalThatCannotBeSavedCountsAsOneMoreFailureAfterTheOthers)
{
    const QList<Track> tracks = seedTracks(5);
    for (int i = 0; i < 4; ++i)
        environment.tags->failReading(tracks.at(i).url);
    buildModel();
    // The journal's place is taken by a folder.
    ASSERT_TRUE(QDir().mkpath(directory.displayPath() + QStringLiteral("/undo/tag-edits.json")));

    const std::optional<QString> text = await(model->applyTagEdit(titled(QStringLiteral("新")), tracks));

    EXPECT_EQ(text, QStringLiteral("已更新 1 首，5 项失败：《A》无法读取标签；《B》无法读取标签"));
    EXPECT_EQ(environment.tags->read(tracks.at(4).url), titled(QStringLiteral("新"))); // the file stays written
    EXPECT_EQ(model->tracks().at(4).title, QStringLiteral("新"));
}

TEST_F(TagEditCommandTest, BlankTextAndNumbersBelowOneRemoveTheTagsWhileOtherTextIsWrittenAsGiven)
{
    const FileLocation file = makeFile("Artist - Song.mp3");
    Track track = trackFor(QStringLiteral("Old"), file);
    environment.tags->setTags(file, {.title = u"Old"_qs, .year = 1999, .trackNumber = 4});
    seed({track});
    buildModel();

    const TagFields request{.title = u"   "_qs, .artist = u"  Singer  "_qs, .year = -3, .trackNumber = 0};
    EXPECT_EQ(await(model->applyTagEdit(request, {track})), std::nullopt);

    EXPECT_EQ(environment.tags->read(file), TagFields{.artist = u"  Singer  "_qs});
    EXPECT_EQ(model->tagUndoStore().entries().constLast().after, TagFields{.artist = u"Singer"_qs});
    EXPECT_EQ(model->tracks().constFirst().title, QStringLiteral("Song")); // from the file name
    EXPECT_EQ(model->tracks().constFirst().artist, QStringLiteral("Singer"));
    EXPECT_FALSE(model->tracks().constFirst().year);
}

TEST_F(TagEditCommandTest, TheIndexTakesTheCoverAndTheFileSizeAndDate)
{
    const FileLocation file = makeFile("song.mp3", QByteArray(1234, 'x'));
    Track track = trackFor(QStringLiteral("Song"), file);
    environment.tags->setTags(file, titled(track.title));
    seed({track});
    buildModel();

    TagFields cover{.artworkBase64 = u"aW1hZ2U="_qs}; // "image"
    EXPECT_EQ(await(model->applyTagEdit(cover, {track})), std::nullopt);

    const Track &covered = indexed(track);
    EXPECT_EQ(covered.fileSize, 1234);
    EXPECT_GT(covered.modifiedAt, 0);
    EXPECT_EQ(covered.title, QStringLiteral("Song"));
    ASSERT_TRUE(covered.artworkFileName);
    QFile image(directory.appending(QByteArrayLiteral("covers")).appending(*covered.artworkFileName).displayPath());
    ASSERT_TRUE(image.open(QIODevice::ReadOnly));
    EXPECT_EQ(image.readAll(), QByteArrayLiteral("image"));

    // A cover text with a line break is no strict Base64: the library keeps no cover.
    cover.artworkBase64 = QStringLiteral("aW1h\nZ2U=");
    EXPECT_EQ(await(model->applyTagEdit(cover, {track})), std::nullopt);
    EXPECT_FALSE(indexed(track).artworkFileName);
    EXPECT_FALSE(image.exists());

    cover.artworkBase64 = QStringLiteral("aW1hZ2U=");
    await(model->applyTagEdit(cover, {track}));
    cover.artworkBase64 = QString();
    EXPECT_EQ(await(model->applyTagEdit(cover, {track})), std::nullopt);
    EXPECT_FALSE(environment.tags->read(file)->artworkBase64);
    EXPECT_FALSE(indexed(track).artworkFileName);
    EXPECT_FALSE(image.exists());
}

TEST_F(TagEditCommandTest, RefusalsAndAnEditThatChangesNothingWriteNothing)
{
    const QList<Track> tracks = seedTracks(2);
    buildModel();

    const QFuture<std::optional<QString>> running = model->applyTagEdit(titled(QStringLiteral("x")), tracks);
    const std::optional<QString> progressBefore = model->fileWorkProgress();
    ASSERT_TRUE(progressBefore);

    EXPECT_EQ(await(model->applyTagEdit(titled(QStringLiteral("y")), tracks)), QStringLiteral("已有文件操作正在进行。"));
    EXPECT_EQ(await(model->performOrganize({{tracks.at(0).url, tracks.at(0).url, false}}, false, FileLocation())),
              QStringLiteral("已有文件操作正在进行。"));
    EXPECT_EQ(model->fileWorkProgress(), progressBefore);
    EXPECT_EQ(await(model->undoLastTagEdit()), QStringLiteral("已有文件操作正在进行。"));
    EXPECT_EQ(model->clearTagUndoHistory(), QStringLiteral("已有文件操作正在进行。"));
    EXPECT_EQ(await(running), std::nullopt);
    EXPECT_EQ(model->tagUndoCount(), 2);
    EXPECT_EQ(await(model->applyTagEdit(titled(QStringLiteral("z")), {})), QStringLiteral("没有选择歌曲。"));

    // Only blanks around the text the file already holds: nothing to write.
    const int writes = environment.tags->writeCount();
    EXPECT_EQ(await(model->applyTagEdit(titled(QStringLiteral("  x \n")), {tracks.at(0)})), std::nullopt);
    EXPECT_EQ(model->statusMessage(), QStringLiteral("没有需要修改的标签。"));
    EXPECT_EQ(environment.tags->writeCount(), writes);
    EXPECT_EQ(model->tagUndoCount(), 2);
}

TEST_F(TagEditCommandTest, AFailedIndexSaveIsTheStatusAndTheReturnedText)
{
    const QList<Track> tracks = seedTracks(1);
    buildModel();
    files.failOnce(FileOperations::Operation::WriteAtomically, ENOSPC, "library.json");

    const std::optional<QString> text = await(model->applyTagEdit(titled(QStringLiteral("新")), tracks));

    ASSERT_TRUE(text);
    EXPECT_TRUE(text->startsWith(QStringLiteral("保存失败：")));
    EXPECT_EQ(model->statusMessage(), text);
}

TEST_F(TagEditCommandTest, EditingTheCurrentTrackRefreshesItWithoutStoppingPlayback)
{
    const QList<Track> tracks = seedTracks(2);
    buildModel();
    model->play(tracks.at(0).id);
    ASSERT_TRUE(environment.engine->isPlaying());
    QSignalSpy current(model.get(), &AppModel::currentTrackChanged);

    await(model->applyTagEdit(titled(QStringLiteral("新")), {tracks.at(0)}));

    EXPECT_EQ(current.count(), 1);
    EXPECT_EQ(model->currentTrack()->title, QStringLiteral("新"));
    EXPECT_TRUE(environment.engine->isPlaying());
}

TEST_F(TagEditCommandTest, QuittingDuringABatchJournalsAndIndexesEveryFileWritten)
{
    const QList<Track> tracks = seedTracks(20);
    buildModel();

    const QFuture<std::optional<QString>> running = model->applyTagEdit(titled(QStringLiteral("新")), tracks);
    model.reset();

    const int written = environment.tags->writeCount();
    EXPECT_EQ(TagEditUndoStore(directory.appending(QByteArrayLiteral("undo")), 50).entries().size(), written);
    const LibraryIndex saved = IndexStore(directory).loadIndex();
    for (qsizetype i = 0; i < tracks.size(); ++i)
        EXPECT_EQ(saved.tracks.at(i).title == QStringLiteral("新"), i < written) << i;
}
