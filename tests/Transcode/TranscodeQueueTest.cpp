#include "FakeProgram.h"
#include "ToneFile.h"
#include "FaultInjectingFileOperations.h"
#include "Transcode/TranscodeCache.h"
#include "Transcode/TranscodeQueue.h"
#include "Playback/AudioDecoder.h"
#include "Storage/FileTime.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <vector>

extern "C" {
#include <libavformat/avformat.h>
}

namespace {

// The fake ffmpeg logs each input's name to "order.log" and its arguments to "arguments", waits
// while the file "hold" exists, then acts by the input's name: "fail" prints the file "stderr"
// to standard error and exits 3, "silent" exits 0 without output, "hang" sleeps; anything else
// notes a leftover output and writes "converted <name>".
constexpr char fakeFFmpeg[] = R"(dir=$(dirname "$0")
in="$3"; out="$7"; name=$(basename "$in")
for a in "$@"; do printf '%s\n' "$a"; done > "$dir/arguments"
echo "$name" >> "$dir/order.log"
while [ -e "$dir/hold" ]; do sleep 0.01; done
case "$name" in
  *fail*) cat "$dir/stderr" >&2; exit 3 ;;
  *silent*) echo "nothing written" >&2; exit 0 ;;
  *hang*) echo $$ > "$dir/pid"; exec sleep 30 ;;
esac
[ -e "$out" ] && echo "leftover $name" >> "$dir/order.log"
printf 'converted %s' "$name" > "$out"
)";

class TranscodeQueueTest : public ::testing::Test
{
protected:
    void SetUp() override { ffmpeg = FakeProgram::write(tools(), QStringLiteral("ffmpeg"), fakeFFmpeg); }

    QString tools() const { return QDir(folder.path()).filePath(QStringLiteral("tools")); }
    QString toolFile(const QString &name) const { return QDir(tools()).filePath(name); }
    FileLocation cacheRoot() const { return FileLocation::fromLocalFile(folder.path() + QStringLiteral("/transcode")); }
    std::unique_ptr<TranscodeQueue> makeQueue(FileOperations &files = FileOperations::system()) const
    {
        return std::make_unique<TranscodeQueue>(cacheRoot(), ffmpeg, files);
    }

    static Track track(const QByteArray &name)
    {
        Track track;
        track.id = QUuid::createUuid();
        track.url = FileLocation::fromPath("/music/" + name);
        track.fileSize = 1000;
        track.modifiedAt = 700000000.0;
        return track;
    }
    // Later jobs queue up behind a held first one; release lets the fake ffmpeg go on.
    void hold() const { write(toolFile(QStringLiteral("hold")), {}); }
    void release() const { QFile::remove(toolFile(QStringLiteral("hold"))); }
    // Holds the fake ffmpeg and starts a background job "running.ogg" that waits for release().
    bool startHeldJob(TranscodeQueue &queue) const
    {
        hold();
        const qsizetype before = order().size();
        queue.enqueue(track("running.ogg"), false);
        return waitForConversions(int(before) + 1);
    }
    bool waitForConversions(int count) const
    {
        return FakeProgram::waitUntil([&] { return order().size() >= count; });
    }
    QStringList order() const { return FakeProgram::readLines(toolFile(QStringLiteral("order.log"))); }
    static void write(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    QStringList cacheEntries() const
    {
        return QDir(QString::fromUtf8(cacheRoot().path()))
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    }
    static TranscodeResult resultOf(QFuture<TranscodeResult> future)
    {
        future.waitForFinished();
        return future.result();
    }
    bool idle(TranscodeQueue &queue, const Track &last) const
    {
        return FakeProgram::waitUntil([&] { return !queue.isProcessing() && queue.cachedURL(last); });
    }

    QTemporaryDir folder;
    FileLocation ffmpeg;
};

TEST_F(TranscodeQueueTest, ConvertsIntoTheCacheWithTheFixedArguments)
{
    auto queue = makeQueue();
    const Track source = track("a.ogg");

    const TranscodeResult result = resultOf(queue->ensureCached(source));

    const FileLocation entry = TranscodeCache::cacheURL(source, cacheRoot());
    ASSERT_TRUE(result.has_value()) << result.error().description().toStdString();
    EXPECT_EQ(*result, entry);
    EXPECT_EQ(queue->cachedURL(source), entry);
    EXPECT_EQ(FakeProgram::readLines(toolFile(QStringLiteral("arguments"))),
              (QStringList{QStringLiteral("-y"), QStringLiteral("-i"), QStringLiteral("/music/a.ogg"),
                           QStringLiteral("-vn"), QStringLiteral("-c:a"), QStringLiteral("alac"),
                           QString::fromUtf8(entry.path()) + QStringLiteral(".tmp.m4a")}));
    EXPECT_EQ(cacheEntries(), QStringList{QString::fromUtf8(entry.fileName())});
    EXPECT_FALSE(queue->isProcessing());
}

TEST_F(TranscodeQueueTest, CachedCopyIsReturnedWithoutRunningFFmpeg)
{
    auto queue = makeQueue();
    const Track source = track("a.ogg");
    write(QString::fromUtf8(TranscodeCache::cacheURL(source, cacheRoot()).path()), "cached");

    queue->enqueue(source, false);
    const TranscodeResult result = resultOf(queue->ensureCached(source));

    EXPECT_EQ(result, TranscodeResult(TranscodeCache::cacheURL(source, cacheRoot())));
    EXPECT_TRUE(order().isEmpty());
}

TEST_F(TranscodeQueueTest, PriorityLaneRunsBeforeBackgroundLane)
{
    auto queue = makeQueue();
    ASSERT_TRUE(startHeldJob(*queue));
    queue->enqueue(track("a.ogg"), false);
    queue->enqueue(track("b.ogg"), false);
    QFuture<TranscodeResult> priority = queue->ensureCached(track("c.ogg"));
    queue->enqueue(track("d.ogg"), true);
    release();

    EXPECT_TRUE(resultOf(priority).has_value());
    ASSERT_TRUE(idle(*queue, track("b.ogg")));
    EXPECT_EQ(order(), (QStringList{QStringLiteral("running.ogg"), QStringLiteral("c.ogg"), QStringLiteral("d.ogg"),
                                    QStringLiteral("a.ogg"), QStringLiteral("b.ogg")}));
}

// How a second request for a waiting background job (A, queued before B) changes the order.
struct PromotionCase
{
    const char *name;
    std::function<void(TranscodeQueue &, const Track &)> request;
    QStringList order;
};

class TranscodeQueuePromotionTest : public TranscodeQueueTest, public ::testing::WithParamInterface<PromotionCase>
{
};

TEST_P(TranscodeQueuePromotionTest, SecondRequestForAWaitingJob)
{
    auto queue = makeQueue();
    ASSERT_TRUE(startHeldJob(*queue));
    queue->enqueue(track("a.ogg"), false);
    queue->enqueue(track("b.ogg"), false);
    queue->ensureCached(track("p.ogg"));
    GetParam().request(*queue, track("b.ogg"));
    release();

    ASSERT_TRUE(idle(*queue, track("a.ogg")));
    ASSERT_TRUE(idle(*queue, track("b.ogg")));
    EXPECT_EQ(order(), GetParam().order);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, TranscodeQueuePromotionTest,
    ::testing::Values(
        PromotionCase{"EnsureCachedPromotesBehindWaitingPriorityJobs",
                      [](TranscodeQueue &queue, const Track &t) { queue.ensureCached(t); },
                      {"running.ogg", "p.ogg", "b.ogg", "a.ogg"}},
        PromotionCase{"PriorityEnqueuePromotes", [](TranscodeQueue &queue, const Track &t) { queue.enqueue(t, true); },
                      {"running.ogg", "p.ogg", "b.ogg", "a.ogg"}},
        PromotionCase{"BackgroundEnqueueChangesNothing",
                      [](TranscodeQueue &queue, const Track &t) { queue.enqueue(t, false); },
                      {"running.ogg", "p.ogg", "a.ogg", "b.ogg"}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TranscodeQueueTest, CallersOfOneJobShareOneConversionAndAreAnsweredInOrder)
{
    auto queue = makeQueue();
    ASSERT_TRUE(startHeldJob(*queue));
    const Track source = track("a.ogg");
    Track sameFile = source;
    sameFile.id = QUuid::createUuid();
    QMutex mutex;
    QList<int> answered;
    QList<QFuture<void>> continuations;
    QList<QFuture<TranscodeResult>> futures;
    for (int caller = 0; caller < 3; ++caller) {
        futures.append(queue->ensureCached(caller == 1 ? sameFile : source));
        continuations.append(futures.last().then([&, caller](const TranscodeResult &) {
            QMutexLocker locker(&mutex);
            answered.append(caller);
        }));
    }
    QFuture<TranscodeResult> joinedRunning = queue->ensureCached(track("running.ogg"));
    release();

    for (QFuture<void> &continuation : continuations)
        continuation.waitForFinished();
    EXPECT_EQ(answered, (QList<int>{0, 1, 2}));
    for (QFuture<TranscodeResult> &future : futures)
        EXPECT_EQ(resultOf(future), TranscodeResult(TranscodeCache::cacheURL(source, cacheRoot())));
    EXPECT_EQ(resultOf(joinedRunning), TranscodeResult(TranscodeCache::cacheURL(track("running.ogg"), cacheRoot())));
    EXPECT_EQ(order(), (QStringList{QStringLiteral("running.ogg"), QStringLiteral("a.ogg")}));
}

TEST_F(TranscodeQueueTest, CancelledWaiterStillLetsTheConversionFinish)
{
    auto queue = makeQueue();
    hold();
    QFuture<TranscodeResult> abandoned = queue->ensureCached(track("a.ogg"));
    ASSERT_TRUE(waitForConversions(1));
    abandoned.cancel();
    release();

    ASSERT_TRUE(idle(*queue, track("a.ogg")));
}

TEST_F(TranscodeQueueTest, ExitStatusZeroWithoutOutputFailsAndTheQueueGoesOn)
{
    auto queue = makeQueue();
    QFuture<TranscodeResult> silent = queue->ensureCached(track("silent.ogg"));
    QFuture<TranscodeResult> next = queue->ensureCached(track("next.ogg"));

    EXPECT_EQ(resultOf(silent), TranscodeResult(std::unexpected(TranscodeError::failed(
                                    QStringLiteral("FFmpeg 转码失败（0）：nothing written")))));
    EXPECT_TRUE(resultOf(next).has_value());
    EXPECT_EQ(queue->cachedURL(track("silent.ogg")), std::nullopt);
}

struct StandardErrorCase
{
    const char *name;
    QByteArray standardError;
    QString text;
};

class TranscodeQueueStandardErrorTest : public TranscodeQueueTest,
                                        public ::testing::WithParamInterface<StandardErrorCase>
{
};

TEST_P(TranscodeQueueStandardErrorTest, FailureCarriesTheEndOfStandardError)
{
    write(toolFile(QStringLiteral("stderr")), GetParam().standardError);
    auto queue = makeQueue();

    const TranscodeResult result = resultOf(queue->ensureCached(track("fail.ogg")));

    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error(), TranscodeError::failed(GetParam().text));
    EXPECT_TRUE(cacheEntries().isEmpty()) << cacheEntries().join(u' ').toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TranscodeQueueStandardErrorTest,
    ::testing::Values(
        StandardErrorCase{"Empty", "", QStringLiteral("FFmpeg 转码失败（3）")},
        StandardErrorCase{"Blank", " \n\t\n", QStringLiteral("FFmpeg 转码失败（3）")},
        StandardErrorCase{"Trimmed", "\n  Invalid data found  \n", QStringLiteral("FFmpeg 转码失败（3）：Invalid data found")},
        StandardErrorCase{"LastThreeHundredOfAThousand", QByteArray(700, 'x') + QByteArray(300, 'y'),
                          QStringLiteral("FFmpeg 转码失败（3）：") + QString(300, u'y')},
        StandardErrorCase{"CharactersNotBytes", QString(1000, u'错').toUtf8(),
                          QStringLiteral("FFmpeg 转码失败（3）：") + QString(300, u'错')},
        StandardErrorCase{"KeptTailCutInsideACharacter", QString(13000, u'错').toUtf8(),
                          QStringLiteral("FFmpeg 转码失败（3）：") + QString(300, u'错')},
        StandardErrorCase{"NotUtf8", "\xb4\xed\xce\xf3", QStringLiteral("FFmpeg 转码失败（3）")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(TranscodeQueueTest, LeftoverTemporaryOutputIsRemovedBeforeConverting)
{
    auto queue = makeQueue();
    const Track source = track("a.ogg");
    const QString temporary = QString::fromUtf8(TranscodeCache::cacheURL(source, cacheRoot()).path()) + QStringLiteral(".tmp.m4a");
    write(temporary, "half-written by a crashed run");

    const TranscodeResult result = resultOf(queue->ensureCached(source));

    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(order(), QStringList{QStringLiteral("a.ogg")});
    EXPECT_FALSE(QFile::exists(temporary));
}

TEST_F(TranscodeQueueTest, NonUtf8SourceReachesFFmpegThroughAnAsciiLink)
{
    auto queue = makeQueue();
    const Track source = track("\xb8\xe8\xc7\xfa.ape");

    const TranscodeResult result = resultOf(queue->ensureCached(source));

    ASSERT_TRUE(result.has_value());
    const QString input = FakeProgram::readLines(toolFile(QStringLiteral("arguments"))).value(2);
    EXPECT_TRUE(input.startsWith(QString::fromUtf8(cacheRoot().path()) + QStringLiteral("/.quillmere-link-")))
        << input.toStdString();
    EXPECT_TRUE(input.endsWith(QStringLiteral(".ape")));
    EXPECT_EQ(cacheEntries(), QStringList{QString::fromUtf8(result->fileName())});
}

TEST_F(TranscodeQueueTest, ClearingIsRefusedWhileBusyAndEmptiesTheCacheWhenIdle)
{
    auto queue = makeQueue();
    resultOf(queue->ensureCached(track("done.ogg")));
    ASSERT_TRUE(startHeldJob(*queue));
    queue->enqueue(track("waiting.ogg"), false);

    const std::expected<void, TranscodeError> refused = queue->clearCache();
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error(), TranscodeError::failed(QStringLiteral("正在准备歌曲，请稍后再清理缓存。")));
    EXPECT_TRUE(queue->cachedURL(track("done.ogg")));

    release();
    ASSERT_TRUE(idle(*queue, track("waiting.ogg")));
    EXPECT_TRUE(queue->clearCache().has_value());
    EXPECT_TRUE(QFileInfo(QString::fromUtf8(cacheRoot().path())).isDir());
    EXPECT_TRUE(cacheEntries().isEmpty());
}

TEST_F(TranscodeQueueTest, DestroyingTheQueueKillsTheChildAndAnswersEveryWaiter)
{
    auto queue = makeQueue();
    QFuture<TranscodeResult> running = queue->ensureCached(track("hang.ogg"));
    QFuture<TranscodeResult> waiting = queue->ensureCached(track("a.ogg"));
    ASSERT_TRUE(FakeProgram::waitUntil([&] { return !FakeProgram::readLines(toolFile(QStringLiteral("pid"))).isEmpty(); }));
    const qint64 pid = FakeProgram::readLines(toolFile(QStringLiteral("pid"))).first().toLongLong();

    queue.reset();

    EXPECT_FALSE(FakeProgram::isAlive(pid));
    const TranscodeResult stopped(std::unexpected(TranscodeError::failed(QStringLiteral("转码已停止"))));
    EXPECT_EQ(resultOf(running), stopped);
    EXPECT_EQ(resultOf(waiting), stopped);
    EXPECT_TRUE(cacheEntries().isEmpty());
}

TEST_F(TranscodeQueueTest, WithoutFFmpegRequestsFailOrAreDroppedEvenOnceQueued)
{
    TranscodeQueue missing(cacheRoot(), std::nullopt);
    missing.enqueue(track("a.ogg"), true);
    EXPECT_FALSE(missing.isProcessing());
    const TranscodeResult result = resultOf(missing.ensureCached(track("a.ogg")));
    EXPECT_EQ(result, TranscodeResult(std::unexpected(TranscodeError::ffmpegMissing())));
    EXPECT_EQ(result.error().description(), QStringLiteral("未找到 FFmpeg"));
    EXPECT_TRUE(order().isEmpty());

    auto queue = makeQueue();
    ASSERT_TRUE(startHeldJob(*queue));
    QFuture<TranscodeResult> waiting = queue->ensureCached(track("a.ogg"));
    queue->updateFFmpeg(std::nullopt);
    release();
    EXPECT_EQ(resultOf(waiting), TranscodeResult(std::unexpected(TranscodeError::ffmpegMissing())));
}

// Each failure is reported with its cause, and nothing is left in the cache.
TEST_F(TranscodeQueueTest, ProgramFolderOrMoveThatFailsFailsTheJob)
{
    const auto failure = [](TranscodeQueue &queue) {
        const TranscodeResult result = resultOf(queue.ensureCached(track("a.ogg")));
        return result ? QString() : result.error().text;
    };
    TranscodeQueue unstartable(cacheRoot(), FakeProgram::writeNonExecutable(tools(), QStringLiteral("plain")));
    EXPECT_TRUE(failure(unstartable).startsWith(QStringLiteral("无法启动 FFmpeg："))) << failure(unstartable).toStdString();

    write(folder.path() + QStringLiteral("/file"), "a file where a folder belongs");
    TranscodeQueue noFolder(FileLocation::fromLocalFile(folder.path() + QStringLiteral("/file/transcode")), ffmpeg);
    EXPECT_TRUE(failure(noFolder).startsWith(QStringLiteral("无法创建转码缓存目录："))) << failure(noFolder).toStdString();

    FaultInjectingFileOperations files;
    files.failOnce(FileOperations::Operation::Replace, EIO);
    auto unmovable = makeQueue(files);
    EXPECT_TRUE(failure(*unmovable).startsWith(QStringLiteral("无法写入转码缓存："))) << failure(*unmovable).toStdString();
    EXPECT_TRUE(cacheEntries().isEmpty());
}

// Real ffmpeg ------------------------------------------------------------------------------------

// The codec of the file's first audio stream.
AVCodecID audioCodec(const FileLocation &file)
{
    AVFormatContext *format = nullptr;
    if (avformat_open_input(&format, file.cPath(), nullptr, nullptr) < 0)
        return AV_CODEC_ID_NONE;
    AVCodecID codec = AV_CODEC_ID_NONE;
    if (avformat_find_stream_info(format, nullptr) >= 0) {
        const int stream = av_find_best_stream(format, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
        if (stream >= 0)
            codec = format->streams[stream]->codecpar->codec_id;
    }
    avformat_close_input(&format);
    return codec;
}

struct PlayedTone
{
    double seconds = 0;
    double frequency = 0;
};

// Plays the file through the player's decoder and measures the tone by its zero crossings.
std::optional<PlayedTone> play(const FileLocation &file)
{
    auto decoder = AudioDecoder::open(file);
    if (!decoder)
        return std::nullopt;
    std::vector<float> block(4096 * AudioDecoder::channelCount);
    qint64 frames = 0;
    qint64 crossings = 0;
    float previous = 0;
    while (const qint64 read = (*decoder)->read(block.data(), 4096)) {
        for (qint64 i = 0; i < read; ++i) {
            const float left = block[size_t(i * AudioDecoder::channelCount)];
            crossings += (previous < 0) != (left < 0);
            previous = left;
        }
        frames += read;
    }
    const double seconds = double(frames) / (*decoder)->sampleRate();
    return PlayedTone{seconds, crossings / 2.0 / seconds};
}

Track trackFor(const FileLocation &file)
{
    struct stat info {};
    EXPECT_EQ(::stat(file.cPath(), &info), 0);
    Track track;
    track.id = QUuid::createUuid();
    track.url = file;
    track.fileSize = info.st_size;
    track.modifiedAt = FileTime::referenceSeconds(info.st_mtim);
    return track;
}

// Debian's ffmpeg converts formats the player cannot play into ALAC that decodes in full; a
// name that is not UTF-8 goes through a link that is gone afterwards.
class TranscodeConversionTest : public ::testing::TestWithParam<QByteArray>
{
};

TEST_P(TranscodeConversionTest, RealFFmpegMakesAPlayableAlacCopy)
{
    const auto ffmpeg = ToneFile::systemFFmpeg();
    if (!ffmpeg)
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir folder;
    const ToneFile tone(folder.path(), GetParam(), 440);
    ASSERT_TRUE(tone.isValid());
    const FileLocation cacheRoot = FileLocation::fromLocalFile(folder.path() + QStringLiteral("/transcode"));
    TranscodeQueue queue(cacheRoot, ffmpeg);
    const Track track = trackFor(tone.location());

    QFuture<TranscodeResult> future = queue.ensureCached(track);
    future.waitForFinished();
    const TranscodeResult result = future.result();

    ASSERT_TRUE(result.has_value()) << result.error().description().toStdString();
    EXPECT_EQ(*result, TranscodeCache::cacheURL(track, cacheRoot));
    EXPECT_EQ(audioCodec(*result), AV_CODEC_ID_ALAC);
    const std::optional<PlayedTone> played = play(*result);
    ASSERT_TRUE(played.has_value());
    EXPECT_NEAR(played->seconds, 2.0, 0.05);
    EXPECT_NEAR(played->frequency, 440.0, 5.0);
    EXPECT_EQ(QDir(QString::fromUtf8(cacheRoot.path())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{QString::fromUtf8(result->fileName())});
}

INSTANTIATE_TEST_SUITE_P(Formats, TranscodeConversionTest,
                         ::testing::Values(QByteArray("tone.ogg"), QByteArray("tone.opus"),
                                           QByteArray("\xb8\xe8\xc7\xfa.ogg")));

} // namespace
