#include "FileCommandFixture.h"

#include <QFile>

namespace {

class TagUndoCommandTest : public FileCommandFixture
{
protected:
    // Track A, its title edited.
    Track editedTrack(const TagFields &edit = titled(QStringLiteral("新")))
    {
        const Track track = seedTracks(1).constFirst();
        buildModel();
        await(model->applyTagEdit(edit, {track}));
        return track;
    }
};

} // namespace

TEST_F(TagUndoCommandTest, UndoRestoresTheFilesNewestFirstNamingEachFile)
{
    const QList<Track> tracks = seedTracks(3);
    buildModel();
    await(model->applyTagEdit(titled(QStringLiteral("新")), tracks));
    ASSERT_EQ(model->tagUndoCount(), 3);

    for (int remaining : {2, 1, 0}) {
        const Track &undone = tracks.at(remaining);
        const QString expected = QStringLiteral("已撤销对《%1.mp3》的标签编辑。").arg(undone.title);
        EXPECT_EQ(await(model->undoLastTagEdit()), expected);
        EXPECT_EQ(model->statusMessage(), expected);
        EXPECT_EQ(model->tagUndoCount(), remaining);
        EXPECT_EQ(environment.tags->read(undone.url), titled(undone.title));
        EXPECT_EQ(model->tracks().at(remaining).title, undone.title);
    }
    EXPECT_EQ(await(model->undoLastTagEdit()), QStringLiteral("没有可撤销的标签编辑。"));
}

TEST_F(TagUndoCommandTest, UndoOfAnAddedCoverRemovesThePicturesAndTheCoverFile)
{
    const Track track = editedTrack({.artworkBase64 = u"aW1hZ2U="_qs});
    const std::optional<QString> coverName = model->tracks().constFirst().artworkFileName;
    ASSERT_TRUE(coverName);

    await(model->undoLastTagEdit());

    EXPECT_EQ(environment.tags->read(track.url), titled(track.title));
    EXPECT_FALSE(model->tracks().constFirst().artworkFileName);
    EXPECT_FALSE(QFile::exists(directory.appending(QByteArrayLiteral("covers")).appending(*coverName).displayPath()));
}

TEST_F(TagUndoCommandTest, UndoThatCannotWriteKeepsTheEntryAndTheLibrary)
{
    const Track track = editedTrack();
    environment.tags->failWriting(track.url, QStringLiteral("文件不存在"));

    EXPECT_EQ(await(model->undoLastTagEdit()), QStringLiteral("撤销失败：文件不存在"));
    EXPECT_EQ(model->tagUndoCount(), 1);
    EXPECT_EQ(model->tracks().constFirst().title, QStringLiteral("新"));
}

TEST_F(TagUndoCommandTest, AFailedLibrarySaveAfterTheUndoIsReported)
{
    editedTrack();
    files.failOnce(FileOperations::Operation::WriteAtomically, EIO, "library.json");

    const QString text = await(model->undoLastTagEdit());

    EXPECT_TRUE(text.startsWith(QStringLiteral("保存失败：")));
    EXPECT_EQ(model->statusMessage(), text);
    EXPECT_EQ(model->tagUndoCount(), 0);
}

TEST_F(TagUndoCommandTest, ClearingSucceedsWithoutAJournalFileAndReportsAFailedRemoval)
{
    buildModel();
    EXPECT_EQ(model->clearTagUndoHistory(), QStringLiteral("已清空编辑撤销记录。"));
    EXPECT_EQ(model->tagUndoCount(), 0);

    editedTrack();
    files.failOnce(FileOperations::Operation::Remove, EIO, "tag-edits.json");

    EXPECT_TRUE(model->clearTagUndoHistory().startsWith(QStringLiteral("清空编辑撤销记录失败：")));
    EXPECT_EQ(model->tagUndoCount(), 1);
}
