#include "FakeCoverReader.h"
#include "Library/ArtworkFetch.h"

#include <QCoreApplication>
#include <QPointer>
#include <QThreadPool>

#include <gtest/gtest.h>

namespace {

FileLocation at(const char *path)
{
    return FileLocation::fromPath(path);
}

struct Taken
{
    QHash<QByteArray, QByteArray> covers;
    int calls = 0;
    bool offGuiThread = false;
};

ArtworkFetch::Take collectInto(Taken &taken, const std::shared_ptr<FakeCoverReader> &reader)
{
    return [&taken, reader](const FileLocation &file, const QByteArray &cover) {
        --reader->held;
        ++taken.calls;
        taken.offGuiThread = taken.offGuiThread || QThread::currentThread() != QCoreApplication::instance()->thread();
        taken.covers.insert(file.path(), cover);
    };
}

TEST(ArtworkFetch, HandsOverEveryCoverOnTheStartingThread)
{
    auto reader = std::make_shared<FakeCoverReader>(QHash<QByteArray, QByteArray>{
        {"/music/a.flac", "cover a"}, {"/music/b.mp3", "unreadable"}, {"/music/d.m4a", "throws"},
        {"/music/e.flac", ""}});
    Taken taken;
    auto *fetch = new ArtworkFetch({at("/music/a.flac"), at("/music/b.mp3"), at("/music/c.wav"), at("/music/d.m4a"),
                                    at("/music/e.flac")},
                                   reader, collectInto(taken, reader), 2);
    QPointer<ArtworkFetch> watched = fetch;

    ASSERT_TRUE(waitFor(fetch->future()));

    const QHash<QByteArray, QByteArray> expected{{"/music/a.flac", "cover a"}, {"/music/e.flac", ""}};
    EXPECT_EQ(taken.covers, expected) << "an empty cover is still a cover; no cover, no file, no call";
    EXPECT_EQ(taken.calls, 2);
    EXPECT_FALSE(taken.offGuiThread);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull()) << "a finished fetch deletes itself";
}

TEST(ArtworkFetch, ReadsEachStandardisedLocationOnce)
{
    auto reader = std::make_shared<FakeCoverReader>(QHash<QByteArray, QByteArray>{{"/music/./a.flac", "cover"}});
    Taken taken;
    auto *fetch = new ArtworkFetch({at("/music/./a.flac"), at("/music//x/../a.flac"), at("/music/a.flac")}, reader,
                                   collectInto(taken, reader), 4);

    ASSERT_TRUE(waitFor(fetch->future()));

    EXPECT_EQ(reader->readPaths, QList<QByteArray>{"/music/./a.flac"}) << "read through the first stored location";
    EXPECT_EQ(taken.covers, (QHash<QByteArray, QByteArray>{{"/music/a.flac", "cover"}}));
}

TEST(ArtworkFetch, HoldsNoMoreCoversThanItsParallelism)
{
    QHash<QByteArray, QByteArray> covers;
    QList<FileLocation> files;
    for (int i = 0; i < 200; ++i) {
        const QByteArray path = "/music/" + QByteArray::number(i) + ".flac";
        covers.insert(path, QByteArray(10'000, char('a' + i % 26)));
        files.append(FileLocation::fromPath(path));
    }
    auto reader = std::make_shared<FakeCoverReader>(covers);
    Taken taken;
    auto *fetch = new ArtworkFetch(files, reader, collectInto(taken, reader), 3);

    ASSERT_TRUE(waitFor(fetch->future()));

    EXPECT_EQ(taken.calls, 200);
    EXPECT_EQ(taken.covers, covers);
    EXPECT_LE(reader->maxHeld.load(), 3);
    EXPECT_GE(reader->maxHeld.load(), 2) << "reads do run side by side";
}

TEST(ArtworkFetch, NothingToReadFinishesAtOnce)
{
    auto reader = std::make_shared<FakeCoverReader>(QHash<QByteArray, QByteArray>{});
    Taken taken;
    auto *fetch = new ArtworkFetch({}, reader, collectInto(taken, reader), 2);
    EXPECT_TRUE(fetch->future().isFinished());
    EXPECT_EQ(taken.calls, 0);
}

TEST(ArtworkFetch, DeletedFetchCancelsAndHandsOverNothingMore)
{
    QHash<QByteArray, QByteArray> covers;
    QList<FileLocation> files;
    for (int i = 0; i < 50; ++i) {
        const QByteArray path = "/music/" + QByteArray::number(i) + ".flac";
        covers.insert(path, "cover");
        files.append(FileLocation::fromPath(path));
    }
    auto reader = std::make_shared<FakeCoverReader>(covers);
    Taken taken;
    auto *owner = new QObject;
    auto *fetch = new ArtworkFetch(files, reader, collectInto(taken, reader), 2, owner);
    QFuture<void> future = fetch->future();

    delete owner;
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();

    EXPECT_TRUE(future.isCanceled());
    EXPECT_TRUE(future.isFinished());
    EXPECT_EQ(taken.calls, 0);
    EXPECT_LE(reader->readPaths.size(), 2) << "no read starts after the fetch is gone";
}

} // namespace
