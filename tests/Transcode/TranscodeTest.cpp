// Conversions into the cache and what they stand on: cache keys and size, finding ffmpeg and
// ffprobe, reading a duration, running a child process.
#include "AudioFixture.h"
#include "FaultInjectingFileOperations.h"

#include "Playback/AudioDecoder.h"
#include "Storage/FileTime.h"
#include "Transcode/ChildProcess.h"
#include "Transcode/FFmpegLocator.h"
#include "Transcode/FFprobeReader.h"
#include "Transcode/TranscodeCache.h"
#include "Transcode/TranscodeQueue.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QMutex>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtCore/qtestsupport_core.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    file.write(bytes);
}

// A stand-in for ffmpeg or ffprobe: `script` as a /bin/sh program, executable unless told.
FileLocation writeProgram(const QString &folder, const QString &name, const QByteArray &script, bool executable = true)
{
    const QString path = QDir(folder).filePath(name);
    writeFile(path, "#!/bin/sh\n" + script);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | (executable ? QFile::ExeOwner : QFile::Permissions()));
    return FileLocation::fromLocalFile(path);
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts) : QStringList();
}

// True while the process runs (a zombie counts as ended).
bool isAlive(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    const QByteArray fields = stat.open(QIODevice::ReadOnly) ? stat.readAll() : QByteArray();
    // "pid (name) state ...": the state follows the last ")".
    const qsizetype close = fields.lastIndexOf(')');
    return close >= 0 && close + 2 < fields.size() && fields.at(close + 2) != 'Z';
}

Track track(const QByteArray &name)
{
    return {.id = QUuid::createUuid(), .url = FileLocation::fromPath("/music/" + name), .fileSize = 1000,
            .modifiedAt = 700000000.0};
}

QStringList entries(const FileLocation &folder)
{
    return QDir(QString::fromUtf8(folder.path())).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

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
    QString tool(const QString &name) const { return folder.filePath("tools/" + name); }
    QString cachePath(const Track &track) const { return QString::fromUtf8(cached(track).path()); }
    FileLocation cached(const Track &track) const { return TranscodeCache::cacheURL(track, cacheRoot); }
    std::unique_ptr<TranscodeQueue> makeQueue(FileOperations &files = FileOperations::system()) const
    {
        return std::make_unique<TranscodeQueue>(cacheRoot, ffmpeg, files);
    }
    QStringList order() const { return readLines(tool("order.log")); }
    // Holds the fake ffmpeg and starts a background job "running.ogg"; release() lets it go on.
    bool startHeldJob(TranscodeQueue &queue) const
    {
        writeFile(tool("hold"), {});
        const qsizetype before = order().size();
        queue.enqueue(track("running.ogg"), false);
        return QTest::qWaitFor([&] { return order().size() > before; }, 10000);
    }
    void release() const { QFile::remove(tool("hold")); }
    bool idle(TranscodeQueue &queue, const QList<QByteArray> &names) const
    {
        return QTest::qWaitFor([&] {
            return !queue.isProcessing()
                   && std::ranges::all_of(names, [&](const QByteArray &name) { return queue.cachedURL(track(name)).has_value(); });
        }, 10000);
    }

    QTemporaryDir folder;
    FileLocation cacheRoot = FileLocation::fromLocalFile(folder.filePath("transcode"));
    FileLocation ffmpeg = writeProgram(folder.filePath("tools"), "ffmpeg", fakeFFmpeg);
};

// A half-written output of a crashed run is removed first; a cached copy is answered without
// running ffmpeg again; a source whose name is not UTF-8 reaches ffmpeg through an ASCII link.
TEST_F(TranscodeQueueTest, ConvertsIntoTheCacheWithTheFixedArgumentsOnce)
{
    auto queue = makeQueue();
    const Track source = track("a.ogg");
    writeFile(cachePath(source) + ".tmp.m4a", "half-written by a crashed run");
    EXPECT_EQ(queue->ensureCached(source).result(), cached(source));
    EXPECT_EQ(readLines(tool("arguments")),
              (QStringList{"-y", "-i", "/music/a.ogg", "-vn", "-c:a", "alac", cachePath(source) + ".tmp.m4a"}));
    EXPECT_EQ(entries(cacheRoot), QStringList{QString::fromUtf8(cached(source).fileName())});
    queue->enqueue(source, false);
    EXPECT_EQ(queue->ensureCached(source).result(), cached(source));
    EXPECT_EQ(order(), QStringList{"a.ogg"});
    const Track gbk = track("\xb8\xe8\xc7\xfa.ape");
    EXPECT_EQ(queue->ensureCached(gbk).result(), cached(gbk));
    const QString input = readLines(tool("arguments")).value(2);
    EXPECT_TRUE(input.startsWith(QString::fromUtf8(cacheRoot.path()) + "/.quillmere-link-")) << input.toStdString();
    EXPECT_TRUE(input.endsWith(".ape"));
    EXPECT_EQ(entries(cacheRoot).size(), 2);
}

// The priority lane runs before the background lane; a second request for a waiting background
// job (b, queued after a) moves it to the end of the priority lane unless it is a background one.
TEST_F(TranscodeQueueTest, PriorityLaneRunsFirstAndPriorityRequestsPromoteWaitingJobs)
{
    const std::pair<std::function<void(TranscodeQueue &)>, QStringList> cases[] = {
        {[](TranscodeQueue &queue) { queue.ensureCached(track("b.ogg")); }, {"p.ogg", "d.ogg", "b.ogg", "a.ogg"}},
        {[](TranscodeQueue &queue) { queue.enqueue(track("b.ogg"), true); }, {"p.ogg", "d.ogg", "b.ogg", "a.ogg"}},
        {[](TranscodeQueue &queue) { queue.enqueue(track("b.ogg"), false); }, {"p.ogg", "d.ogg", "a.ogg", "b.ogg"}}};
    for (const auto &[request, expected] : cases) {
        QFile::remove(tool("order.log"));
        QDir(QString::fromUtf8(cacheRoot.path())).removeRecursively();
        auto queue = makeQueue();
        ASSERT_TRUE(startHeldJob(*queue));
        queue->enqueue(track("a.ogg"), false);
        queue->enqueue(track("b.ogg"), false);
        queue->ensureCached(track("p.ogg"));
        queue->enqueue(track("d.ogg"), true);
        request(*queue);
        release();
        ASSERT_TRUE(idle(*queue, {"p.ogg", "a.ogg", "b.ogg", "d.ogg"}));
        EXPECT_EQ(order(), QStringList{"running.ogg"} + expected);
    }
}

// Every caller gets the one conversion's result, in order; a cancelled waiter's conversion still runs.
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
    queue->ensureCached(track("abandoned.ogg")).cancel();
    release();
    for (QFuture<void> &continuation : continuations)
        continuation.waitForFinished();
    EXPECT_EQ(answered, (QList<int>{0, 1, 2}));
    for (QFuture<TranscodeResult> &future : futures)
        EXPECT_EQ(future.result(), cached(source));
    EXPECT_EQ(joinedRunning.result(), cached(track("running.ogg")));
    ASSERT_TRUE(idle(*queue, {"abandoned.ogg"}));
    EXPECT_EQ(order(), (QStringList{"running.ogg", "a.ogg", "abandoned.ogg"}));
}

// Each failure has its cause and leaves nothing cached, and the queue goes on. A failed ffmpeg's
// shows the end of its valid standard error; without ffmpeg, queued requests fail too.
TEST_F(TranscodeQueueTest, FailuresCarryTheirCauseAndLeaveNothingCached)
{
    const auto failureText = [](TranscodeQueue &queue) {
        const TranscodeResult result = queue.ensureCached(track("a.ogg")).result();
        return result ? QString() : result.error().text;
    };
    TranscodeQueue unstartable(cacheRoot, writeProgram(folder.filePath("tools"), "plain", "exit 0\n", false));
    EXPECT_TRUE(failureText(unstartable).startsWith("无法启动 FFmpeg：")) << failureText(unstartable).toStdString();
    writeFile(folder.filePath("file"), "a file where a folder belongs");
    TranscodeQueue noFolder(FileLocation::fromLocalFile(folder.filePath("file/transcode")), ffmpeg);
    EXPECT_TRUE(failureText(noFolder).startsWith("无法创建转码缓存目录：")) << failureText(noFolder).toStdString();
    FaultInjectingFileOperations files;
    files.failOnce(FileOperations::Operation::Replace, EIO);
    auto unmovable = makeQueue(files);
    EXPECT_TRUE(failureText(*unmovable).startsWith("无法写入转码缓存：")) << failureText(*unmovable).toStdString();
    const QString failed = QStringLiteral("FFmpeg 转码失败（3）");
    const std::tuple<QByteArray, QByteArray, QString> cases[] = {
        {"fail.ogg", "", failed}, {"fail.ogg", " \n\t\n", failed},
        {"fail.ogg", "\n  Invalid data found  \n", failed + "：Invalid data found"},
        {"fail.ogg", QByteArray(700, 'x') + QByteArray(300, 'y'), failed + "：" + QString(300, u'y')},
        {"fail.ogg", QString(1000, u'错').toUtf8(), failed + "：" + QString(300, u'错')}, // characters, not bytes
        {"fail.ogg", QString(13000, u'错').toUtf8(), failed + "：" + QString(300, u'错')}, // tail cut in a character
        {"fail.ogg", "\xb4\xed\xce\xf3", failed},                                         // not UTF-8
        {"silent.ogg", "", QStringLiteral("FFmpeg 转码失败（0）：nothing written")}};
    auto queue = makeQueue();
    for (const auto &[name, standardError, text] : cases) {
        writeFile(tool("stderr"), standardError);
        const TranscodeResult result = queue->ensureCached(track(name)).result();
        EXPECT_EQ(result, std::unexpected(TranscodeError::failed(text))) << standardError.left(20).toStdString();
        EXPECT_TRUE(entries(cacheRoot).isEmpty()) << entries(cacheRoot).join(u' ').toStdString();
    }
    EXPECT_TRUE(queue->ensureCached(track("next.ogg")).result().has_value());

    const TranscodeResult missing = std::unexpected(TranscodeError::ffmpegMissing());
    EXPECT_EQ(missing.error().description(), QStringLiteral("未找到 FFmpeg"));
    TranscodeQueue without(cacheRoot, std::nullopt);
    without.enqueue(track("b.ogg"), true);
    EXPECT_FALSE(without.isProcessing());
    EXPECT_EQ(without.ensureCached(track("b.ogg")).result(), missing);
    ASSERT_TRUE(startHeldJob(*queue));
    QFuture<TranscodeResult> waiting = queue->ensureCached(track("b.ogg"));
    queue->updateFFmpeg(std::nullopt);
    release();
    EXPECT_EQ(waiting.result(), missing);
    EXPECT_FALSE(order().contains("b.ogg"));
}

TEST_F(TranscodeQueueTest, ClearingIsRefusedWhileBusyAndDestroyingKillsTheChild)
{
    auto queue = makeQueue();
    queue->ensureCached(track("done.ogg")).waitForFinished();
    ASSERT_TRUE(startHeldJob(*queue));
    queue->enqueue(track("waiting.ogg"), false);
    EXPECT_EQ(queue->clearCache(), std::unexpected(TranscodeError::failed("正在准备歌曲，请稍后再清理缓存。")));
    EXPECT_TRUE(queue->cachedURL(track("done.ogg")));
    release();
    ASSERT_TRUE(idle(*queue, {"waiting.ogg"}));
    EXPECT_TRUE(queue->clearCache().has_value());
    EXPECT_TRUE(QFileInfo(QString::fromUtf8(cacheRoot.path())).isDir() && entries(cacheRoot).isEmpty());

    // Destroying the queue kills the child and answers every waiter.
    const TranscodeResult stopped = std::unexpected(TranscodeError::failed("转码已停止"));
    QFuture<TranscodeResult> running = queue->ensureCached(track("hang.ogg"));
    QFuture<TranscodeResult> waiting = queue->ensureCached(track("a.ogg"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !readLines(tool("pid")).isEmpty(); }, 10000));
    const qint64 pid = readLines(tool("pid")).first().toLongLong();
    queue.reset();
    EXPECT_FALSE(isAlive(pid));
    EXPECT_EQ(running.result(), stopped);
    EXPECT_EQ(waiting.result(), stopped);
    EXPECT_TRUE(entries(cacheRoot).isEmpty());
}

// Real ffmpeg and ffprobe: a format the player cannot play becomes an ALAC copy that decodes in
// full; a name that is not UTF-8 goes through a link that is gone afterwards.
TEST(TranscodeConversionTest, RealFFmpegMakesAPlayableAlacCopy)
{
    if (!AudioFixture::ffmpegAvailable())
        GTEST_SKIP() << "ffmpeg is not installed";
    const auto ffmpeg = FFmpegLocator::find(std::nullopt, QProcessEnvironment::systemEnvironment());
    ASSERT_TRUE(ffmpeg);
    for (const QByteArray name : {"tone.ogg", "tone.opus", "\xb8\xe8\xc7\xfa.ogg"}) {
        SCOPED_TRACE(name.toHex().toStdString());
        QTemporaryDir folder;
        // Made under a name that need not be UTF-8, which QTemporaryDir cannot remove.
        const QString made = AudioFixture::makeTone(folder.path(), "made" + name.mid(name.lastIndexOf('.')), 2.0, 440);
        const FileLocation tone = FileLocation::fromLocalFile(folder.path()).appending(name);
        ASSERT_EQ(std::rename(QFile::encodeName(made).constData(), tone.cPath()), 0);
        const auto removeTone = qScopeGuard([&] { ::unlink(tone.cPath()); });
        EXPECT_NEAR(FFprobeReader::duration(tone, *ffmpeg, QProcessEnvironment::systemEnvironment()).value_or(0), 2.0, 0.05);
        const FileLocation cacheRoot = FileLocation::fromLocalFile(folder.filePath("transcode"));
        TranscodeQueue queue(cacheRoot, ffmpeg);
        const Track track{.url = tone};
        const TranscodeResult result = queue.ensureCached(track).result();
        ASSERT_TRUE(result.has_value()) << result.error().description().toStdString();
        EXPECT_EQ(*result, TranscodeCache::cacheURL(track, cacheRoot));
        EXPECT_EQ(entries(cacheRoot), QStringList{QString::fromUtf8(result->fileName())});
        QFile copy(QString::fromUtf8(result->path()));
        EXPECT_TRUE(copy.open(QIODevice::ReadOnly) && copy.readAll().contains("alac")); // the codec's sample entry
        // The player decodes two seconds of 440 Hz, counted by the zero crossings.
        auto decoder = AudioDecoder::open(*result);
        ASSERT_TRUE(decoder.has_value());
        float frame[AudioDecoder::channelCount];
        qint64 frames = 0, crossings = 0;
        for (float previous = 0; (*decoder)->read(frame, 1) == 1; ++frames, previous = frame[0])
            crossings += (previous < 0) != (frame[0] < 0);
        const double seconds = double(frames) / (*decoder)->sampleRate();
        EXPECT_NEAR(seconds, 2.0, 0.05);
        EXPECT_NEAR(crossings / 2.0 / seconds, 440.0, 5.0);
    }
    const QByteArray ourLinks = ".quillmere-link-" + QByteArray::number(::getpid()) + '-';
    for (const QString &name : QDir(QDir::tempPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
        EXPECT_FALSE(name.toLatin1().startsWith(ourLinks)) << "link left behind: " << name.toStdString();
}

// Half the SHA-256 of "path|size|ms since 1970, halves away from zero|version"; spellings and
// records of one file share a key.
TEST(TranscodeCacheTest, KeysAndSize)
{
    const std::pair<double, const char *> dates[] = {
        {0.0625, "63"}, {-0.0625, "-63"}, {0.0, "0"}, {1700000000.25, "1700000000250"}, {1700000000.0004, "1700000000000"}};
    const FileLocation ape = FileLocation::fromPath("/a.ape");
    for (const auto &[unixSeconds, milliseconds] : dates) {
        const QByteArray text = QByteArray("/a.ape|10|") + milliseconds + "|7";
        EXPECT_EQ(TranscodeCache::key(ape, 10, unixSeconds - double(FileTime::referenceEpochOffset), 7),
                  QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex().left(32)))
            << milliseconds;
    }
    const QString key = TranscodeCache::key(FileLocation::fromPath("/music/a/b.tta"), 1, 2.0, 1);
    for (const char *spelling : {"/music/./a/b.tta", "/music//a/b.tta", "/music/x/../a/b.tta", "//music/a/./b.tta"})
        EXPECT_EQ(TranscodeCache::key(FileLocation::fromPath(spelling), 1, 2.0, 1), key) << spelling;
    Track first = track("a.opus");
    Track second = first;
    second.id = QUuid::createUuid();
    const FileLocation root = FileLocation::fromPath("/data/transcode");
    const FileLocation entry = TranscodeCache::cacheURL(first, root);
    EXPECT_EQ(entry, root.appending(TranscodeCache::key(first.url, 1000, 700000000.0, TranscodeCache::version) + ".m4a"));
    EXPECT_EQ(TranscodeCache::cacheURL(second, root), entry);

    // The size counts regular files at every depth, not hidden items or links. Folders that cannot
    // be opened are passed over: root opens any folder, so a child runs out of descriptors instead.
    QTemporaryDir folder;
    const auto size = [&] { return TranscodeCache::directorySize(FileLocation::fromLocalFile(folder.path())); };
    const auto file = [&](const QString &name, qsizetype bytes) { writeFile(folder.filePath(name), QByteArray(bytes, 'x')); };
    EXPECT_EQ(TranscodeCache::directorySize(FileLocation::fromLocalFile(folder.filePath("missing"))), 0);
    file("a.m4a", 100);
    file("sub/b.m4a", 20);
    file("sub/deeper/c.m4a", 3);
    file(".hidden.m4a", 100);
    file(".hidden/inside.m4a", 100);
    QDir(folder.path()).mkpath("empty/nested");
    QFile::link("/usr/bin/ffmpeg", folder.filePath("link"));
    EXPECT_EQ(size(), 123);
    QDir(folder.path()).removeRecursively();
    for (int i = 0; i < 6; ++i) {
        file(QStringLiteral("f%1/a.m4a").arg(i), 10);
        file(QStringLiteral("f%1/deep/1/2/out-of-reach.m4a").arg(i), 1000);
    }
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        const rlimit limit{rlim_t(lowestFree + 3), rlim_t(lowestFree + 3)};
        const qint64 measured = ::setrlimit(RLIMIT_NOFILE, &limit) == 0 ? size() : -2;
        ::_exit(::write(channel[1], &measured, sizeof measured) == sizeof measured ? 0 : 3);
    }
    ::close(channel[1]);
    qint64 measured = -1;
    EXPECT_EQ(::read(channel[0], &measured, sizeof measured), ssize_t(sizeof measured));
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    EXPECT_EQ(measured, 60);
}

// A custom path first (one naming no executable falls back quietly), then the fixed folders in
// order, then the search path without its empty and relative entries; ffprobe first beside ffmpeg.
TEST(FFmpegLocatorTest, FindsFFmpegAndFFprobeWhichGivesOnlyAFinitePositiveDuration)
{
    QTemporaryDir root;
    const auto pathOf = [](const std::optional<FileLocation> &found) { return found ? found->path() : QByteArray(); };
    const auto folder = [&](const QString &name) { return root.filePath(name); };
    const auto executable = [&](const QString &folderName, const QString &name = "ffmpeg") {
        return QString::fromUtf8(writeProgram(folder(folderName), name, "exit 0\n").path());
    };
    const QString custom = executable("custom");
    const QString first = executable("local");
    const QString second = executable("homebrew");
    const QString onPath = executable("path");
    executable("work");
    executable("work/bin");
    QDir().mkpath(folder("first/ffmpeg")); // a folder is no executable
    writeProgram(folder("custom"), "plain", "exit 0\n", false);
    const QStringList fixed{folder("first"), folder("local"), folder("homebrew")};
    QProcessEnvironment environment;
    environment.insert("PATH", QStringLiteral(".:bin::%1::").arg(folder("path")));
    EXPECT_EQ(pathOf(FFmpegLocator::find(QStringLiteral("  %1\n").arg(custom), environment, fixed)), custom);
    for (const QString &fallback : {QString(), QStringLiteral("   \n"), folder("custom/plain"),
                                    folder("custom/missing"), folder("first/ffmpeg")})
        EXPECT_EQ(pathOf(FFmpegLocator::find(fallback, environment, fixed)), first) << fallback.toStdString();
    for (const QString &expected : {executable("custom", "ffprobe"), executable("local", "ffprobe"),
                                    executable("path", "ffprobe"), QString()}) {
        EXPECT_EQ(pathOf(FFmpegLocator::ffprobe(FileLocation::fromLocalFile(custom), environment, fixed)), expected);
        QFile::remove(expected);
    }
    const auto restore = qScopeGuard([previous = QDir::currentPath()] { QDir::setCurrent(previous); });
    QDir::setCurrent(folder("work"));
    for (const QString &expected : {first, second, onPath, QString()}) {
        EXPECT_EQ(pathOf(FFmpegLocator::find(std::nullopt, environment, fixed)), expected);
        QFile::remove(expected);
    }
    if (QFile::exists("/usr/bin/ffmpeg")) { // without PATH, the system folders
        EXPECT_EQ(pathOf(FFmpegLocator::find(std::nullopt, QProcessEnvironment(), {})), "/usr/bin/ffmpeg");
    }

    // A fake ffprobe beside the fake ffmpeg prints "answer", exits with "status" and logs its arguments
    // (a relative name arrives absolute). Only a finite positive number is a duration.
    const QString tools = folder("tools");
    const FileLocation ffmpeg = writeProgram(tools, "ffmpeg", "exit 0\n");
    writeProgram(tools, "ffprobe",
                 "dir=$(dirname \"$0\")\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$dir/arguments\"\n"
                 "cat \"$dir/answer\"\nexit $(cat \"$dir/status\")\n");
    const std::tuple<const char *, int, std::optional<double>> cases[] = {
        {"245.333000\n", 0, 245.333}, {"  7.5 \r\n", 0, 7.5}, {"1.5e2\n", 0, 150.0}, {"N/A\n", 0, std::nullopt},
        {"0\n", 0, std::nullopt}, {"-1\n", 0, std::nullopt}, {"", 0, std::nullopt}, {"inf\n", 0, std::nullopt},
        {"nan\n", 0, std::nullopt}, {"1e999\n", 0, std::nullopt},
        {"12,5\n", 0, std::nullopt}, {"12.5 s\n", 0, std::nullopt}, {"12.5\n13.0\n", 0, std::nullopt},
        {"\xff" "12\n", 0, std::nullopt}, {"12.5\n", 1, std::nullopt}};
    for (const auto &[output, status, seconds] : cases) {
        writeFile(tools + "/answer", output);
        writeFile(tools + "/status", QByteArray::number(status));
        EXPECT_EQ(FFprobeReader::duration(FileLocation::fromPath("music/-a.ogg"), ffmpeg, {}), seconds) << output << status;
    }
    EXPECT_EQ(readLines(tools + "/arguments"), (QStringList{"-v", "error", "-show_entries", "format=duration", "-of",
                                                            "default=nw=1:nk=1", folder("work/music/-a.ogg")}));
    QFile::remove(tools + "/ffprobe");
    environment.insert("PATH", tools);
    EXPECT_EQ(FFprobeReader::duration(FileLocation::fromPath("/a.ogg"), ffmpeg, environment), std::nullopt);
}

// No shell, no input, lowered priority, no inherited descriptors; the status is reported, and only
// the latest bytes of the chosen channel are kept.
TEST(ChildProcessTest, RunsSafelyKeepsTheLatestOutputAndEndsWithinItsLimits)
{
    QTemporaryDir folder;
    const int inheritable = ::open("/dev/null", O_RDONLY); // deliberately without O_CLOEXEC
    ASSERT_GE(inheritable, 3);
    ChildProcess child(writeProgram(folder.path(), "child",
                                    "for a in \"$@\"; do printf '%s\\n' \"$a\"; done >&2\ncat >&2\n"
                                    "cut -d ' ' -f 19 /proc/$$/stat >&2\nls /proc/$$/fd | tr '\\n' ' ' >&2\nexit 7\n"),
                       {"a b", "$(touch x)", "*", "歌"});
    const ChildProcess::Result result = child.run();
    ::close(inheritable);
    EXPECT_EQ(result.outcome, ChildProcess::Outcome::Exited);
    EXPECT_EQ(result.status, 7);
    const QStringList lines = QString::fromUtf8(result.output).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 6) << result.output.toStdString();
    EXPECT_EQ(lines.mid(0, 4), (QStringList{"a b", "$(touch x)", "*", "歌"}));
    EXPECT_GE(lines[4].toInt(), 10); // the nice value
    const QStringList open = lines[5].split(u' ', Qt::SkipEmptyParts);
    EXPECT_TRUE(open.contains("2"));
    EXPECT_FALSE(open.contains(QString::number(inheritable))) << lines[5].toStdString();
    const QByteArray noisyScript = "head -c 100000 /dev/zero | tr '\\0' x\necho END\necho discarded >&2\n";
    ChildProcess noisy(writeProgram(folder.path(), "child", noisyScript), {});
    noisy.keepOutput(ChildProcess::Channel::StandardOutput, 1000);
    const ChildProcess::Result kept = noisy.run();
    EXPECT_EQ(kept.output.size(), 1000);
    EXPECT_TRUE(kept.output.endsWith("xxx\nEND\n") || kept.output.endsWith("xEND\n"));
    EXPECT_FALSE(kept.output.contains("discarded"));
    EXPECT_TRUE(kept.outputTruncated);

    // A time limit kills the child and what it started.
    const QString pid = folder.filePath("pid"), grandchildPid = folder.filePath("grandchild");
    const QString script = QStringLiteral("echo $$ > '%1'\nsleep 30 &\necho $! > '%2'\necho started >&2\nwait\n");
    ChildProcess limited(writeProgram(folder.path(), "limited", script.arg(pid, grandchildPid).toUtf8()), {});
    limited.setTimeLimit(std::chrono::milliseconds(300));
    QElapsedTimer elapsed;
    elapsed.start();
    const ChildProcess::Result timedOut = limited.run();
    EXPECT_LT(elapsed.elapsed(), 5000);
    EXPECT_EQ(timedOut.outcome, ChildProcess::Outcome::TimedOut);
    EXPECT_EQ(timedOut.status, 9);
    EXPECT_EQ(timedOut.output, "started\n");
    EXPECT_FALSE(isAlive(readLines(pid).value(0).toLongLong()));
    const qint64 grandchild = readLines(grandchildPid).value(0).toLongLong();
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isAlive(grandchild); }, 2000));
}

// The program dying (a death-test child that ends abruptly) takes its children with it. The child
// process reruns this test: the folder travels in the environment (the child could not remove one).
TEST(ChildProcessDeathTest, ChildDiesWithTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    static constexpr char folderVariable[] = "QUILLMERE_TEST_CHILD_FOLDER";
    std::optional<QTemporaryDir> folder;
    if (!qEnvironmentVariableIsSet(folderVariable)) {
        folder.emplace();
        qputenv(folderVariable, QFile::encodeName(folder->path()));
    }
    const QString pidFile = qEnvironmentVariable(folderVariable) + "/pid";
    EXPECT_EXIT(
        {
            const FileLocation program = writeProgram(qEnvironmentVariable(folderVariable), "child",
                                                      QStringLiteral("echo $$ > '%1'\nexec sleep 30\n").arg(pidFile).toUtf8());
            std::thread([program] { ChildProcess(program, {}).run(); }).detach();
            std::_Exit(QTest::qWaitFor([&] { return !readLines(pidFile).isEmpty(); }, 10000) ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    qunsetenv(folderVariable);
    const qint64 pid = readLines(pidFile).value(0).toLongLong();
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !isAlive(pid); }, 3000));
}

} // namespace
