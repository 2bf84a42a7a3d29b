#include "ModelFixture.h"

#include "Tags/TagEditUndoStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSignalSpy>
#include <QtCore/qtestsupport_core.h>

namespace {

class AppModelStartupTest : public ModelFixture
{
};

} // namespace

TEST_F(AppModelStartupTest, AFreshModelShowsAllMusicByTitleAndCreatesItsFolders)
{
    AppModel &fresh = build();

    EXPECT_EQ(fresh.selection(), LibrarySelection::allMusic());
    EXPECT_EQ(fresh.sort(), TrackSort::Title);
    EXPECT_TRUE(fresh.sortAscending());
    EXPECT_DOUBLE_EQ(fresh.volume(), 0.8);
    EXPECT_FLOAT_EQ(environment.engine->volume(), 0.8f);
    EXPECT_FALSE(fresh.statusMessage());
    EXPECT_EQ(fresh.queue().mode(), PlaybackMode::RepeatAll);
    EXPECT_NE(fresh.searchFocusRequest(), fresh.endSearchFocusRequest());

    const QString root = directory.displayPath();
    EXPECT_EQ(QFileInfo(root).permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/undo")).isDir());
    EXPECT_TRUE(QFileInfo(root + QStringLiteral("/transcode")).isDir());
    EXPECT_EQ(environment.shell->appearances, QStringList{QStringLiteral("system")});
    // Every launch saves the restored state once.
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFileInfo::exists(root + QStringLiteral("/settings.json")); }, 2000));
}

TEST_F(AppModelStartupTest, RestoresTheSavedQueueWithTheLastTrackInFront)
{
    const Track a = makeTrack("A"), b = makeTrack("B"), c = makeTrack("C"), d = makeTrack("D");
    seed({a, b, c, d});
    seedSettings({.playbackMode = u"shuffle"_qs, .lastQueue = {a.id, b.id, c.id}, .lastTrackID = d.id, .lastPosition = 42.5});

    AppModel &restored = build();

    EXPECT_EQ(restored.queue().trackIDs(), (QList<QUuid>{d.id, a.id, b.id, c.id}));
    EXPECT_EQ(restored.queue().index(), 0);
    EXPECT_EQ(restored.queue().mode(), PlaybackMode::Shuffle);
    EXPECT_EQ(restored.currentTrack(), d);
    EXPECT_DOUBLE_EQ(restored.restoredPosition(), 42.5);
    EXPECT_TRUE(environment.engine->loaded().isEmpty());
    EXPECT_EQ(restored.tracks().size(), 4);
}

TEST_F(AppModelStartupTest, KeepsRepeatsAndDropsIdentifiersThatLeftTheLibrary)
{
    const Track a = makeTrack("A"), b = makeTrack("B");
    const QUuid gone = QUuid::createUuid();
    seed({a, b});
    seedSettings({.playbackMode = u"bogus"_qs, .lastQueue = {a.id, gone, b.id, a.id}, .lastTrackID = gone, .lastPosition = 30});

    AppModel &restored = build();

    EXPECT_EQ(restored.queue().trackIDs(), (QList<QUuid>{a.id, b.id, a.id}));
    EXPECT_EQ(restored.queue().index(), 0);
    EXPECT_EQ(restored.queue().mode(), PlaybackMode::RepeatAll);
    EXPECT_FALSE(restored.currentTrack());
    EXPECT_DOUBLE_EQ(restored.restoredPosition(), 0);
}

// The title is the user's text: a "%@" or "%1" in it is shown as it is.
TEST_F(AppModelStartupTest, AMissingLastTrackStaysCurrentWithItsStatusAndNoLyrics)
{
    const Track missing = makeMissingTrack("%@ 与 %1");
    seed({missing});
    seedSettings({.lastQueue = {missing.id}, .lastTrackID = missing.id, .lastPosition = 42});

    AppModel &restored = build();

    EXPECT_EQ(restored.currentTrack(), missing);
    EXPECT_DOUBLE_EQ(restored.restoredPosition(), 0);
    EXPECT_EQ(restored.statusMessage(), QStringLiteral("《%@ 与 %1》文件缺失，仍保留在列表中。"));
    // No lyrics are looked for.
    EXPECT_TRUE(environment.lyrics->requests().isEmpty());
    EXPECT_EQ(restored.lyricsState(), LyricsDisplayState{});
}

TEST_F(AppModelStartupTest, LoadNoticesAreJoinedBySpaceAndReplaceTheRestoreStatus)
{
    const Track missing = makeMissingTrack("Gone");
    seed({missing});
    seedSettings({.lastTrackID = missing.id});
    QDir().mkpath(directory.displayPath() + QStringLiteral("/undo"));
    for (const QString &name : {QStringLiteral("/settings.json"), QStringLiteral("/undo/tag-edits.json")}) {
        QFile damaged(directory.displayPath() + name);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write("{ not json");
    }

    AppModel &restored = build();

    const QString tagNotice = *TagEditUndoStore(directory.appending(QByteArrayLiteral("undo")), 50).loadNotice();
    ASSERT_TRUE(restored.library().recoveryNotice());
    EXPECT_EQ(restored.statusMessage(), *restored.library().recoveryNotice() + QLatin1Char(' ') + tagNotice);
}

TEST_F(AppModelStartupTest, StartRescansTheFoldersOnce)
{
    QDir(temporary.path()).mkpath(QStringLiteral("Songs"));
    seed({}, {FileLocation::fromLocalFile(temporary.path() + QStringLiteral("/Songs"))});
    AppModel &started = build();
    QSignalSpy scanning(&started, &AppModel::isScanningChanged);

    started.start();
    started.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return scanning.size() == 2; }, 5000));
    settle();

    EXPECT_TRUE(started.didStart());
    EXPECT_EQ(scanning.size(), 2);
    EXPECT_TRUE(scanning.first().first().toBool());
    EXPECT_FALSE(started.isScanning());
}

TEST_F(AppModelStartupTest, StartWithoutFoldersScansNothing)
{
    AppModel &started = build();
    QSignalSpy scanning(&started, &AppModel::isScanningChanged);

    started.start();
    settle();

    EXPECT_TRUE(started.didStart());
    EXPECT_TRUE(scanning.isEmpty());
}

// Timing is scaled: the save interval is 50 ms, settings saves coalesce for 2 ms.
TEST_F(AppModelStartupTest, SavesThePositionWhilePlayingAndOnPause)
{
    const Track a = makeTrack("A"), b = makeTrack("B");
    seed({a, b});
    AppModel &playing = build();
    const auto savedPosition = [&] { return IndexStore(directory).loadSettings().lastPosition; };

    playing.play(b.id);
    settle();
    ASSERT_TRUE(playing.isPlaying());
    QSignalSpy visibleList(&playing, &AppModel::visibleTracksChanged);
    environment.engine->setPosition(12.5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return savedPosition() == 12.5; }, 2000));
    EXPECT_TRUE(visibleList.isEmpty()); // position ticks never touch the list

    environment.engine->setPosition(20);
    environment.engine->pause();
    settle();
    EXPECT_FALSE(playing.isPlaying());
    EXPECT_TRUE(QTest::qWaitFor([&] { return savedPosition() == 20; }, 2000));

    const AppSettings saved = savedSettings();
    EXPECT_EQ(saved.lastTrackID, b.id);
    EXPECT_EQ(saved.lastQueue, (QList<QUuid>{a.id, b.id}));
    EXPECT_EQ(saved.playbackMode, QStringLiteral("repeatAll"));
}

TEST_F(AppModelStartupTest, TheEndOfAFileStepsTheQueueOncePastMissingFiles)
{
    const Track a = makeTrack("A"), b = makeMissingTrack("B"), c = makeTrack("C");
    seed({a, b, c});
    AppModel &playing = build();
    playing.play(a.id);
    settle();

    environment.engine->emitFinished();
    EXPECT_EQ(playing.currentTrack(), a); // handled in its own turn of the event loop
    settle();

    EXPECT_EQ(playing.currentTrack(), c);
    EXPECT_EQ(playing.queue().index(), 2);
    EXPECT_EQ(environment.engine->loaded().size(), 2);
}
