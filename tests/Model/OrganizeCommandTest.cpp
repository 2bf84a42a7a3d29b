#include "FileCommandFixture.h"

#include "Library/IndexStore.h"

#include <QFile>

namespace {

using Operation = FileOperations::Operation;

class OrganizeCommandTest : public FileCommandFixture
{
protected:
    // `count` files in Music/in, the library's one folder.
    void seedFiles(int count)
    {
        for (int i = 0; i < count; ++i)
            tracks.append(trackFor(QStringLiteral("Song %1").arg(i), makeFile("in/" + QByteArray::number(i) + ".flac")));
        seed(tracks, {tracks.constFirst().url.deletingLastPathComponent()});
    }

    QList<OrganizePlanItem> plan() const
    {
        return model->organizer().plan(tracks, QStringLiteral("{title}"), root);
    }

    QList<FileLocation> libraryURLs() const
    {
        QList<FileLocation> urls;
        for (const Track &track : model->tracks())
            urls.append(track.url);
        return urls;
    }

    static QList<FileLocation> sources(const QList<OrganizePlanItem> &items)
    {
        QList<FileLocation> urls;
        for (const OrganizePlanItem &item : items)
            urls.append(item.source);
        return urls;
    }

    static QList<FileLocation> destinations(const QList<OrganizePlanItem> &items)
    {
        QList<FileLocation> urls;
        for (const OrganizePlanItem &item : items)
            urls.append(item.destination);
        return urls;
    }

    QList<Track> tracks;
    FileLocation root = FileLocation::fromLocalFile(temporary.path()).appending(QByteArrayLiteral("Sorted"));
};

} // namespace

TEST_F(OrganizeCommandTest, AMoveOfThreeCountsUpPointsTheLibraryAtTheFilesAndUndoes)
{
    seedFiles(3);
    buildModel();
    recordProgress();
    const QList<OrganizePlanItem> items = plan();
    ASSERT_EQ(items.size(), 3);

    EXPECT_EQ(await(model->performOrganize(items, false, root)), std::nullopt);

    EXPECT_EQ(progress, (QStringList{"正在整理 0/3…", "正在整理 1/3…", "正在整理 2/3…", "正在整理 3/3…", "-"}));
    EXPECT_EQ(model->statusMessage(), QStringLiteral("已移动 3 个文件，可用「撤销上次整理」恢复。"));
    EXPECT_EQ(libraryURLs(), destinations(items));
    EXPECT_TRUE(model->library().index().folders.contains(root)); // outside every library folder
    EXPECT_EQ(model->organizeUndoCount(), 1);

    EXPECT_EQ(model->undoLastOrganize(), QStringLiteral("已恢复 3 个文件到原位置。"));
    EXPECT_EQ(libraryURLs(), sources(items));
    EXPECT_EQ(model->organizeUndoCount(), 0);
    EXPECT_EQ(model->undoLastOrganize(), QStringLiteral("没有可撤销的整理。"));
}

TEST_F(OrganizeCommandTest, ACopyPointsTheLibraryAtTheCopiesAndItsUndoDeletesThem)
{
    seedFiles(3);
    buildModel();
    const QList<OrganizePlanItem> items = plan();

    EXPECT_EQ(await(model->performOrganize(items, true, root)), std::nullopt);
    EXPECT_EQ(model->statusMessage(), QStringLiteral("已复制 3 个文件。"));
    EXPECT_EQ(libraryURLs(), destinations(items));

    EXPECT_EQ(model->undoLastOrganize(), QStringLiteral("已删除 3 个副本，原文件保留。"));
    EXPECT_EQ(libraryURLs(), sources(items));
    EXPECT_FALSE(QFile::exists(items.constFirst().destination.displayPath()));
}

TEST_F(OrganizeCommandTest, AFailureOnTheSecondItemPointsOnlyTheFirstTrackAtItsDestination)
{
    seedFiles(3);
    buildModel();
    const QList<OrganizePlanItem> items = plan();
    files.failOnce(Operation::MoveNoReplace, EIO, "Sorted", 1);

    const std::optional<QString> text = await(model->performOrganize(items, false, root));

    ASSERT_TRUE(text);
    EXPECT_TRUE(text->startsWith(QStringLiteral("整理失败：")));
    EXPECT_EQ(model->statusMessage(), text);
    EXPECT_EQ(libraryURLs(), (QList<FileLocation>{items.at(0).destination, items.at(1).source, items.at(2).source}));
    EXPECT_EQ(model->organizeUndoCount(), 1);

    EXPECT_EQ(model->undoLastOrganize(), QStringLiteral("已恢复 1 个文件到原位置。"));
    EXPECT_EQ(libraryURLs(), sources(items));
}

TEST_F(OrganizeCommandTest, AnUndoThatCannotBeSavedSaysSoAndTheLibraryStillFollowsTheFilesBack)
{
    seedFiles(2);
    buildModel();
    const QList<OrganizePlanItem> items = plan();
    await(model->performOrganize(items, false, root));
    files.failOnce(Operation::WriteAtomically, EIO, "organize.json");

    const QString text = model->undoLastOrganize();

    EXPECT_FALSE(text.isEmpty());
    EXPECT_FALSE(text.startsWith(QStringLiteral("已恢复")));
    EXPECT_EQ(model->statusMessage(), text);
    EXPECT_EQ(libraryURLs(), sources(items));
    EXPECT_EQ(model->organizeUndoCount(), 1);

    await(model->performOrganize(items, false, root));
    files.failOnce(Operation::WriteAtomically, EIO, "library.json");
    const QString unsaved = model->undoLastOrganize();
    EXPECT_TRUE(unsaved.startsWith(QStringLiteral("保存失败："))) << unsaved.toStdString();
    EXPECT_EQ(model->statusMessage(), unsaved);
}

TEST_F(OrganizeCommandTest, RefusalsChangeNothing)
{
    seedFiles(2);
    tracks[1].isMissing = true;
    seed(tracks, {tracks.constFirst().url.deletingLastPathComponent()});
    buildModel();

    model->beginOrganize({tracks.at(1).id});
    EXPECT_EQ(model->statusMessage(), QStringLiteral("没有可整理的歌曲。"));
    EXPECT_FALSE(model->organizerRequest());
    model->beginOrganize({tracks.at(0).id, tracks.at(1).id});
    ASSERT_TRUE(model->organizerRequest());
    EXPECT_EQ(model->organizerRequest()->tracks, QList<Track>{tracks.at(0)});

    EXPECT_EQ(await(model->performOrganize({}, false, root)), QStringLiteral("没有需要整理的文件。"));
    const QFuture<std::optional<QString>> running = model->performOrganize(plan(), false, root);
    EXPECT_EQ(model->undoLastOrganize(), QStringLiteral("正在整理，请稍后再撤销。"));
    await(running);
}

TEST_F(OrganizeCommandTest, QuittingDuringARunLeavesTheLibraryWhereTheFilesAre)
{
    seedFiles(40);
    buildModel();
    const QList<OrganizePlanItem> items = plan();

    const QFuture<std::optional<QString>> running = model->performOrganize(items, false, root);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->fileWorkProgress() != QStringLiteral("正在整理 0/40…"); }, 5000));
    model.reset();

    const LibraryIndex saved = IndexStore(directory).loadIndex();
    int moved = 0;
    for (qsizetype i = 0; i < items.size(); ++i) {
        const bool atDestination = QFile::exists(items.at(i).destination.displayPath());
        moved += atDestination;
        EXPECT_EQ(saved.tracks.at(i).url, atDestination ? items.at(i).destination : items.at(i).source) << i;
        EXPECT_TRUE(QFile::exists(saved.tracks.at(i).url.displayPath())) << i;
    }
    EXPECT_GE(moved, 1);
}
