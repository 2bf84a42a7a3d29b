#include "FFmpegTools.h"
#include "ModelFixture.h"

#include "QueueTranscoding.h"
#include "Support/AudioFixture.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QtCore/qtestsupport_core.h>

namespace {

class FFmpegControlTest : public ModelFixture
{
protected:
    Track toneTrack(const QString &name, double duration)
    {
        const QString file = AudioFixture::makeTone(temporary.path(), name, 1.0);
        Track track = makeTrack(QFileInfo(name).baseName(), QFile::encodeName(file));
        track.duration = duration;
        return track;
    }

    AppModel &buildWithFFmpeg()
    {
        seedSettings({.ffmpegPath = tools.ffmpegPath()});
        return build();
    }

    // The model with the real conversion queue over its cache folder.
    AppModel &buildWithRealQueue()
    {
        AppModelEnvironment made = environment.make();
        made.makeTranscoding = [](const FileLocation &root, std::optional<FileLocation> ffmpeg) {
            return std::make_unique<QueueTranscoding>(root, std::move(ffmpeg));
        };
        model = std::make_unique<AppModel>(directory, std::move(made));
        settle();
        return *model;
    }

    void writeCacheFile(const QString &name, qsizetype bytes)
    {
        const QString folder = directory.displayPath() + QStringLiteral("/transcode/");
        QDir().mkpath(folder);
        QFile file(folder + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(bytes, 'x'));
    }

    FFmpegTools tools{temporary.path() + QStringLiteral("/tools")};
};

} // namespace

TEST_F(FFmpegControlTest, FindingFFmpegQueuesPresentFilesThatNeedConversionAndProbesUnknownDurationsOnce)
{
    const Track unknown = toneTrack(QStringLiteral("Unknown.ogg"), 0), known = toneTrack(QStringLiteral("Known.ogg"), 7);
    Track gone = makeTrack("Gone", "/Music/Gone.ogg"), native = makeTrack("Native");
    gone.isMissing = true;
    gone.duration = native.duration = 0;
    seed({unknown, known, gone, native});
    AppModel &prepared = buildWithFFmpeg();
    writeCacheFile(QStringLiteral("copy.m4a"), 1500);
    QSignalSpy refreshes(&prepared, &AppModel::tracksChanged);
    QSignalSpy announced(&prepared, &AppModel::changed);

    // The second search comes while the first probe still runs.
    EXPECT_EQ(prepared.redetectFFmpeg(), QStringLiteral("已找到 FFmpeg：") + tools.ffmpegPath());
    prepared.redetectFFmpeg();

    QStringList queued;
    for (const auto &[track, priority] : environment.transcoding->enqueued()) {
        queued.append(track.title);
        EXPECT_FALSE(priority);
    }
    EXPECT_EQ(queued, (QStringList{QStringLiteral("Unknown"), QStringLiteral("Known"), QStringLiteral("Unknown"),
                                   QStringLiteral("Known")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return prepared.tracks().first().duration > 0; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return prepared.transcodeCacheBytes() == 1500; }, 2000));
    settle();

    EXPECT_NEAR(prepared.tracks().first().duration, 1.0, 0.1);
    EXPECT_EQ(prepared.tracks().at(1).duration, 7);
    EXPECT_EQ(tools.probedFiles().size(), 1);
    EXPECT_TRUE(tools.probedFiles().value(0).endsWith(QStringLiteral("Unknown.ogg")));
    EXPECT_EQ(refreshes.size(), 1);
    EXPECT_EQ(announced.size(), 2);
    EXPECT_FALSE(prepared.showsFFmpegInstallPrompt());
    EXPECT_EQ(prepared.ffmpegPathText(), tools.ffmpegPath());
}

TEST_F(FFmpegControlTest, WithoutFFmpegTheSearchRaisesThePromptAndPreparesNothing)
{
    const Track needs = makeTrack("Needs", "/Music/Needs.ogg");
    seed({needs});
    AppModel &model = build();

    const QString notFound = QStringLiteral("仍未找到 FFmpeg，请先运行 sudo apt install ffmpeg。");
    EXPECT_EQ(model.redetectFFmpeg(), notFound);
    EXPECT_EQ(model.statusMessage(), notFound);
    EXPECT_TRUE(model.showsFFmpegInstallPrompt());
    EXPECT_TRUE(environment.transcoding->enqueued().isEmpty());
    EXPECT_EQ(model.ffmpegPathText(), QStringLiteral("未找到"));
}

TEST_F(FFmpegControlTest, ClearingTheCacheReportsTheSizeItFreed)
{
    AppModel &model = buildWithRealQueue();
    writeCacheFile(QStringLiteral("a.m4a"), 1000);
    writeCacheFile(QStringLiteral("b.m4a"), 500);

    EXPECT_EQ(await(model.clearTranscodeCache()), QStringLiteral("已清理转码缓存（1.5 kB）。"));
    EXPECT_EQ(model.transcodeCacheBytes(), 0);
    EXPECT_TRUE(QDir(directory.displayPath() + QStringLiteral("/transcode")).isEmpty());
    EXPECT_EQ(model.transcodeCacheSizeText(), QStringLiteral("0 MB"));

    EXPECT_EQ(await(model.clearTranscodeCache()), QStringLiteral("已清理转码缓存（0 MB）。"));
    EXPECT_EQ(model.statusMessage(), QStringLiteral("已清理转码缓存（0 MB）。"));
}

TEST_F(FFmpegControlTest, ARefusedOrFailedClearKeepsTheMeasuredSize)
{
    writeCacheFile(QStringLiteral("kept.m4a"), 2000);
    AppModel &model = build();
    ASSERT_TRUE(QTest::qWaitFor([&] { return model.transcodeCacheBytes() == 2000; }, 2000));

    const QString busy = QStringLiteral("正在准备歌曲，请稍后再清理缓存。");
    environment.transcoding->setClearResult(std::unexpected(TranscodeError::failed(busy)));
    EXPECT_EQ(await(model.clearTranscodeCache()), busy);
    environment.transcoding->setClearResult(std::unexpected(TranscodeError::failed(QStringLiteral("设备已满"))));
    EXPECT_EQ(await(model.clearTranscodeCache()), QStringLiteral("清理转码缓存失败：设备已满"));

    EXPECT_EQ(model.transcodeCacheBytes(), 2000);
    EXPECT_EQ(model.transcodeCacheSizeText(), QStringLiteral("2.0 kB"));
}

TEST_F(FFmpegControlTest, ChoosingRefusesAFileThatCannotRunAndStartsTheWaitingTrackWithOneThatCan)
{
    const Track waiting = makeTrack("Waiting", "/Music/Waiting.ogg");
    seed({waiting});
    AppModel &model = build();
    model.play(waiting.id);
    ASSERT_TRUE(model.showsFFmpegInstallPrompt());
    const QString plain = temporary.path() + QStringLiteral("/notes.txt");
    QFile(plain).open(QIODevice::WriteOnly);
    environment.prompts->fileAnswers = {std::nullopt, FileLocation::fromLocalFile(plain),
                                        FileLocation::fromLocalFile(tools.ffmpegPath())};

    EXPECT_EQ(model.chooseFFmpegPath(), std::nullopt);
    EXPECT_TRUE(model.showsFFmpegInstallPrompt());
    EXPECT_EQ(model.chooseFFmpegPath(), QStringLiteral("所选文件不可执行，请选择 ffmpeg 可执行文件。"));
    EXPECT_FALSE(savedSettings().ffmpegPath);

    EXPECT_EQ(model.chooseFFmpegPath(), QStringLiteral("已使用 FFmpeg：") + tools.ffmpegPath());
    EXPECT_EQ(savedSettings().ffmpegPath, tools.ffmpegPath());
    EXPECT_FALSE(model.showsFFmpegInstallPrompt());
    EXPECT_EQ(model.statusMessage(), QStringLiteral("正在准备《Waiting》…"));
    EXPECT_EQ(environment.transcoding->requests().size(), 1);
    EXPECT_EQ(environment.prompts->shown.first(), QStringLiteral("选择 ffmpeg 可执行文件 | "));
}

TEST_F(FFmpegControlTest, AChoiceThatCannotBeSavedSaysSo)
{
    AppModel &model = build();
    model.flushPendingSaves();
    const QString settingsFile = directory.displayPath() + QStringLiteral("/settings.json");
    ASSERT_TRUE(QFile::remove(settingsFile));
    ASSERT_TRUE(QDir().mkpath(settingsFile));
    environment.prompts->fileAnswers = {FileLocation::fromLocalFile(tools.ffmpegPath())};

    model.chooseFFmpegPath();

    EXPECT_TRUE(QTest::qWaitFor([&] { return model.statusMessage().value_or(QString()).startsWith(QStringLiteral("保存失败：")); }, 2000));
}
