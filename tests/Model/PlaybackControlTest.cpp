#include "FFmpegTools.h"
#include "ModelFixture.h"

#include "Support/AudioFixture.h"

#include <QFile>
#include <QSignalSpy>
#include <QtCore/qtestsupport_core.h>

#include <cmath>
#include <functional>

namespace {

class PlaybackControlTest : public ModelFixture
{
protected:
    // A track the engine cannot play itself.
    static Track needingConversion(const QString &title) { return makeTrack(title, "/Music/" + title.toUtf8() + ".ogg"); }

    // The model as a launch finds it: ffmpeg saved or not, the last track with its position.
    AppModel &buildWith(bool ffmpegSaved, const std::optional<Track> &last = {}, double position = 0)
    {
        seedSettings({.lastQueue = last ? QList{last->id} : QList<QUuid>(),
                      .lastTrackID = last ? std::optional(last->id) : std::nullopt,
                      .lastPosition = position,
                      .ffmpegPath = ffmpegSaved ? std::optional(tools.ffmpegPath()) : std::nullopt});
        return build();
    }

    // Makes ffmpeg locatable from now on, as the user's saved choice.
    void installFFmpeg()
    {
        AppSettings settings = model->library().settings();
        settings.ffmpegPath = tools.ffmpegPath();
        model->library().setSettings(settings);
    }

    QStringList statusesOf(const QSignalSpy &spy) const
    {
        QStringList texts;
        for (const QList<QVariant> &arguments : spy)
            texts.append(arguments.first().value<std::optional<QString>>().value_or(QString()));
        return texts;
    }

    static FileLocation copy(const QString &name) { return FileLocation::fromPath("/cache/" + name.toUtf8() + ".m4a"); }

    FFmpegTools tools{temporary.path() + QStringLiteral("/tools")};
};

} // namespace

TEST_F(PlaybackControlTest, AClickRebuildsTheQueueFromTheVisibleListAndTheCurrentTrackTogglesEvenWhenHidden)
{
    const Track alpha = makeTrack("Alpha"), beta = makeTrack("Beta"), beth = makeTrack("Beth"), gamma = makeTrack("Gamma");
    seed({gamma, beth, alpha, beta});
    AppModel &playing = build();
    playing.setSearchText(QStringLiteral("Be"));
    playing.play(); // nothing is current: the first row shown
    EXPECT_EQ(playing.currentTrack(), beta);

    playing.handleTrackClick(beth.id, Qt::NoModifier);

    EXPECT_EQ(playing.queue().trackIDs(), (QList<QUuid>{beta.id, beth.id}));
    EXPECT_EQ(playing.queue().index(), 1);
    EXPECT_EQ(playing.currentTrack(), beth);
    EXPECT_EQ(environment.engine->loaded(), (QList<FileLocation>{beta.url, beth.url}));
    EXPECT_EQ(savedSettings().lastQueue, (QList<QUuid>{beta.id, beth.id}));

    QSignalSpy queueChanges(&playing, &AppModel::queueChanged);
    playing.setSearchText(QString());
    playing.handleTrackClick(beth.id, Qt::NoModifier);
    EXPECT_FALSE(environment.engine->isPlaying());
    playing.handleTrackClick(beth.id, Qt::NoModifier);
    EXPECT_TRUE(environment.engine->isPlaying());
    EXPECT_TRUE(queueChanges.isEmpty());
    EXPECT_EQ(environment.engine->loaded().size(), 2);

    playing.setSearchText(QStringLiteral("Alpha")); // the menus, keys and buttons toggle what is current
    playing.togglePlayback();
    EXPECT_FALSE(environment.engine->isPlaying());
    playing.togglePlayback();
    EXPECT_TRUE(environment.engine->isPlaying());
    EXPECT_EQ(playing.currentTrack(), beth);
}

// The modes themselves are the queue's; the model loads only when the step moves.
TEST_F(PlaybackControlTest, SteppingFollowsTheModeAndSavesWhereItLands)
{
    const QList<Track> tracks{makeTrack("A"), makeTrack("B"), makeTrack("C"), makeTrack("D")};
    const struct
    {
        PlaybackMode mode;
        int start;
        bool forward;
        int expected;
        qsizetype loads;
    } cases[] = {{PlaybackMode::Sequential, 1, true, 2, 2},
                 {PlaybackMode::Sequential, 3, true, 3, 1},
                 {PlaybackMode::RepeatAll, 0, false, 3, 2},
                 {PlaybackMode::RepeatOne, 1, true, 1, 2}};
    seed(tracks);
    for (const auto &step : cases) {
        SCOPED_TRACE(testing::Message() << int(step.mode) << " from " << step.start << " forward " << step.forward);
        seedSettings({});
        AppModel &playing = build();
        playing.setPlaybackMode(step.mode);
        playing.play(tracks[step.start].id);

        step.forward ? playing.next() : playing.previous();

        const Track &expected = tracks[step.expected];
        EXPECT_EQ(playing.currentTrack(), expected);
        EXPECT_EQ(playing.queue().currentID(), expected.id);
        EXPECT_EQ(environment.engine->loaded().size(), step.loads);
        EXPECT_EQ(savedSettings().lastTrackID, expected.id);
        model.reset();
    }
}

TEST_F(PlaybackControlTest, SteppingSkipsMissingFilesAndFilesThatFailToLoad)
{
    const Track a = makeTrack("A"), b = makeMissingTrack("B"), c = makeTrack("C"), d = makeTrack("D");
    seed({a, b, c, d});
    AppModel &playing = build();
    environment.engine->failLoading(c.url);
    playing.setPlaybackMode(PlaybackMode::Sequential);
    playing.play(a.id);
    QSignalSpy statuses(&playing, &AppModel::statusMessageChanged);

    playing.next();

    EXPECT_EQ(playing.currentTrack(), d);
    EXPECT_EQ(statusesOf(statuses),
              (QStringList{QStringLiteral("《B》文件缺失，已跳过。"),
                           QStringLiteral("无法播放《C》：无法读取音频文件（scripted failure）"), QString()}));
}

TEST_F(PlaybackControlTest, SteppingOntoATrackWaitingForFFmpegStopsThere)
{
    const Track a = makeTrack("A"), x = needingConversion("X"), y = makeTrack("Y");
    seed({a, x, y});
    AppModel &playing = buildWith(false);
    playing.play(a.id);

    playing.next();

    EXPECT_TRUE(playing.showsFFmpegInstallPrompt());
    EXPECT_EQ(playing.queue().currentID(), x.id);
    EXPECT_EQ(environment.engine->loaded(), QList<FileLocation>{a.url});
}

TEST_F(PlaybackControlTest, AQueueOfMissingFilesIsTriedOnceThenGivesUp)
{
    const Track a = makeMissingTrack("A"), b = makeMissingTrack("B"), c = makeMissingTrack("C");
    seed({a, b, c});
    seedSettings({.lastQueue = {a.id, b.id, c.id}, .lastTrackID = a.id});
    AppModel &playing = build();
    QSignalSpy statuses(&playing, &AppModel::statusMessageChanged);

    playing.next();

    EXPECT_EQ(statusesOf(statuses), (QStringList{QStringLiteral("《B》文件缺失，已跳过。"),
                                                 QStringLiteral("《C》文件缺失，已跳过。"),
                                                 QStringLiteral("《A》文件缺失，已跳过。")}));
    EXPECT_EQ(playing.queue().index(), 0);
    EXPECT_TRUE(environment.engine->loaded().isEmpty());
}

TEST_F(PlaybackControlTest, AnEmptyQueueStepsNowhere)
{
    AppModel &empty = build();

    empty.next();
    empty.previous();
    empty.play();

    EXPECT_TRUE(empty.queue().trackIDs().isEmpty());
    EXPECT_FALSE(empty.currentTrack());
    EXPECT_EQ(empty.statusMessage(), QStringLiteral("音乐库是空的，先导入一个文件夹。"));
}

TEST_F(PlaybackControlTest, OnlyTheLatestConversionPlaysWhicheverFinishesFirst)
{
    for (const bool latestFirst : {true, false}) {
        const Track x = needingConversion("X"), y = needingConversion("Y");
        seed({x, y});
        AppModel &playing = buildWith(true);

        playing.play(x.id);
        EXPECT_EQ(playing.statusMessage(), QStringLiteral("正在准备《X》…"));
        playing.play(y.id);
        ASSERT_EQ(environment.transcoding->requests().size(), 2);
        environment.transcoding->finish(latestFirst ? 1 : 0, copy(latestFirst ? "Y" : "X"));
        settle();
        environment.transcoding->finish(latestFirst ? 0 : 1, copy(latestFirst ? "X" : "Y"));
        settle();

        EXPECT_EQ(environment.engine->loaded(), QList<FileLocation>{copy("Y")}) << latestFirst;
        EXPECT_EQ(playing.currentTrack(), y);
        EXPECT_FALSE(playing.statusMessage());
        model.reset();
    }
}

TEST_F(PlaybackControlTest, ANativeStartDuringAConversionWins)
{
    const Track a = makeTrack("A"), x = needingConversion("X");
    seed({a, x});
    AppModel &playing = buildWith(true);

    playing.play(x.id);
    EXPECT_TRUE(environment.engine->loaded().isEmpty());
    playing.play(a.id);
    environment.transcoding->finish(0, copy("X"));
    settle();

    EXPECT_EQ(environment.engine->loaded(), QList<FileLocation>{a.url});
    EXPECT_EQ(playing.currentTrack(), a);
}

TEST_F(PlaybackControlTest, AConversionFinishedAfterItsTrackLeftTheLibraryPlaysNothing)
{
    const Track x = needingConversion("X");
    seed({x});
    AppModel &playing = buildWith(true);
    playing.play(x.id);
    playing.removeTracksFromLibrary({x.id});

    environment.transcoding->finish(0, copy("X"));
    settle();

    EXPECT_FALSE(playing.currentTrack());
    EXPECT_TRUE(environment.engine->loaded().isEmpty());
}

TEST_F(PlaybackControlTest, AFailedConversionReportsOnlyWhileItIsAwaited)
{
    const Track x = needingConversion("X"), y = needingConversion("Y");
    seed({x, y});
    AppModel &playing = buildWith(true);

    playing.play(x.id);
    playing.play(y.id);
    environment.transcoding->finish(0, std::unexpected(TranscodeError::failed(QStringLiteral("X broke"))));
    settle();
    EXPECT_EQ(playing.statusMessage(), QStringLiteral("正在准备《Y》…"));

    environment.transcoding->finish(1, std::unexpected(TranscodeError::failed(QStringLiteral("Y broke"))));
    settle();
    EXPECT_EQ(playing.statusMessage(), QStringLiteral("无法准备《Y》：Y broke"));
    EXPECT_EQ(playing.currentTrack(), y);

    // The next play tries the conversion again.
    playing.play();
    EXPECT_EQ(environment.transcoding->requests().size(), 3);
}

// Once ffmpeg is found, the current track resumes where the user moved it; a track that waited
// after a queue start begins where that start asked, not at the current track's resume position.
TEST_F(PlaybackControlTest, AWaitingTrackStartsWhereItWasToStartOnceFFmpegIsFound)
{
    const Track a = makeTrack("A"), x = needingConversion("X");
    seed({a, x});
    for (const bool current : {true, false}) {
        SCOPED_TRACE(current ? "the current track" : "a queue start");
        AppModel &playing = buildWith(false, current ? x : a, 42);
        if (current) {
            playing.play();
            playing.seek(50);
        } else {
            playing.play(x.id);
        }
        ASSERT_TRUE(playing.showsFFmpegInstallPrompt());
        EXPECT_EQ(playing.restoredPosition(), current ? 50 : 42);

        installFFmpeg();
        playing.redetectFFmpeg();
        EXPECT_EQ(playing.currentTrack(), x);
        EXPECT_EQ(playing.statusMessage(), QStringLiteral("正在准备《X》…"));
        environment.transcoding->finish(0, copy("X"));
        settle();

        EXPECT_EQ(environment.engine->loaded(), QList<FileLocation>{copy("X")});
        EXPECT_EQ(environment.engine->position(), current ? 50 : 0);
        EXPECT_EQ(playing.restoredPosition(), 0);
        model.reset();
    }
}

// What the user does after a track began waiting for ffmpeg replaces it: finding ffmpeg later must
// not cut in.
TEST_F(PlaybackControlTest, WhateverFollowsTheWaitForFFmpegReplacesIt)
{
    const Track a = makeTrack("A"), x = needingConversion("X"), y = needingConversion("Y");
    struct Case
    {
        const char *name;
        std::function<void(AppModel &)> then;
        std::optional<Track> current;
        qsizetype conversions;
    };
    for (const Case &step : std::initializer_list<Case>{
             {"native start", [&](AppModel &m) { m.play(a.id); }, a, 0},
             {"conversion start", [&](AppModel &m) { m.play(y.id); }, y, 1},
             {"status dismissed", [](AppModel &m) { m.dismissStatus(); }, std::nullopt, 0}}) {
        SCOPED_TRACE(step.name);
        seed({a, x, y});
        AppModel &playing = buildWith(false);
        playing.play(x.id);
        EXPECT_TRUE(playing.showsFFmpegInstallPrompt());
        EXPECT_EQ(playing.statusMessage(), QStringLiteral("需要 FFmpeg 才能播放此格式（《X》）。"));
        EXPECT_FALSE(playing.currentTrack());
        installFFmpeg();

        step.then(playing);
        EXPECT_FALSE(playing.showsFFmpegInstallPrompt());
        playing.redetectFFmpeg();

        EXPECT_EQ(playing.currentTrack(), step.current);
        EXPECT_EQ(environment.transcoding->requests().size(), step.conversions);
        model.reset();
    }
}

// The track changed while it was converted (here its duration was read meanwhile): the fresh
// value plays, not the one captured when the conversion began.
TEST_F(PlaybackControlTest, AFinishedConversionPlaysTheTrackAsItIsNow)
{
    const QString file = AudioFixture::makeTone(temporary.path(), QStringLiteral("X.ogg"), 1.0);
    ASSERT_FALSE(file.isEmpty());
    Track x = makeTrack("X", QFile::encodeName(file));
    x.duration = 0;
    seed({x});
    AppModel &playing = buildWith(true);
    playing.play(x.id);

    playing.redetectFFmpeg();
    ASSERT_TRUE(QTest::qWaitFor([&] { return playing.currentTrack()->duration > 0; }, 10000));
    environment.transcoding->finish(0, copy("X"));
    settle();

    EXPECT_EQ(environment.engine->loaded(), QList<FileLocation>{copy("X")});
    EXPECT_NEAR(playing.currentTrack()->duration, 1.0, 0.1);
}

TEST_F(PlaybackControlTest, SeekingWithNothingLoadedMovesTheResumePositionWithinTheStoredDuration)
{
    const Track a = makeTrack("A");
    seed({a});
    AppModel &restored = buildWith(false, a, 10);

    for (const auto &[target, expected] : std::initializer_list<std::pair<double, double>>{
             {30, 30}, {500, 200}, {-5, 0}, {std::nan(""), 0}, {INFINITY, 0}}) {
        restored.seek(target);
        EXPECT_EQ(restored.restoredPosition(), expected) << target;
        EXPECT_EQ(savedSettings().lastPosition, expected) << target;
    }
    EXPECT_TRUE(environment.engine->loaded().isEmpty());
    EXPECT_EQ(restored.displayDuration(), 200);

    restored.play();
    restored.seek(90);
    EXPECT_EQ(environment.engine->position(), 90);
    EXPECT_EQ(restored.displayDuration(), 180);
}

TEST_F(PlaybackControlTest, SettingTheSameModeSavesNothing)
{
    AppModel &fresh = build();
    fresh.flushPendingSaves();
    const QString settingsFile = directory.displayPath() + QStringLiteral("/settings.json");
    ASSERT_TRUE(QFile::remove(settingsFile));

    fresh.setPlaybackMode(PlaybackMode::RepeatAll);
    fresh.flushPendingSaves();
    EXPECT_FALSE(QFile::exists(settingsFile));

    fresh.setPlaybackMode(PlaybackMode::RepeatOne);
    EXPECT_EQ(savedSettings().playbackMode, QStringLiteral("repeatOne"));
}
