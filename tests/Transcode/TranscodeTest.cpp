// What conversions stand on: the cache's keys and size, finding ffmpeg and ffprobe, reading a
// duration, and running a child process.
#include "FakeProgram.h"
#include "ToneFile.h"

#include "Storage/FileTime.h"
#include "Transcode/ChildProcess.h"
#include "Transcode/FFmpegLocator.h"
#include "Transcode/FFprobeReader.h"
#include "Transcode/TranscodeCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// The cache ---------------------------------------------------------------------------------------

TEST(TranscodeCacheKeyTest, IsHalfTheHashOfPathSizeMillisecondsAndVersion)
{
    // sha256("/music/a.ogg|1234|978307200000|1"), computed independently.
    EXPECT_EQ(TranscodeCache::key(FileLocation::fromPath("/music/a.ogg"), 1234, 0.0, 1),
              QStringLiteral("5692534de3780a0dcf01c0b1388484c0"));
    // Dates are whole milliseconds since 1970, halves rounded away from zero.
    const std::pair<double, const char *> dates[] = {{0.0625, "63"}, {-0.0625, "-63"}, {0.0, "0"},
                                                     {1700000000.25, "1700000000250"},
                                                     {1700000000.0004, "1700000000000"}};
    for (const auto &[unixSeconds, milliseconds] : dates) {
        const QByteArray text = QByteArray("/a.ape|10|") + milliseconds + "|1";
        EXPECT_EQ(TranscodeCache::key(FileLocation::fromPath("/a.ape"), 10,
                                      unixSeconds - double(FileTime::referenceEpochOffset), 1),
                  QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex().left(32)))
            << milliseconds;
    }
    EXPECT_NE(TranscodeCache::key(FileLocation::fromPath("/a.ape"), 10, 0.0, 2),
              TranscodeCache::key(FileLocation::fromPath("/a.ape"), 10, 0.0, 1));
}

TEST(TranscodeCacheKeyTest, SpellingsOfOneFileShareOneEntryInsideTheRoot)
{
    const QString key = TranscodeCache::key(FileLocation::fromPath("/music/a/b.tta"), 1, 2.0, 1);
    for (const char *spelling : {"/music/./a/b.tta", "/music//a/b.tta", "/music/x/../a/b.tta", "//music/a/./b.tta"})
        EXPECT_EQ(TranscodeCache::key(FileLocation::fromPath(spelling), 1, 2.0, 1), key) << spelling;

    Track first;
    first.url = FileLocation::fromPath("/music/a.opus");
    first.fileSize = 42;
    first.modifiedAt = 123.5;
    Track second = first;
    second.id = QUuid::createUuid();
    second.title = QStringLiteral("another record of the same file");
    const FileLocation root = FileLocation::fromPath("/data/transcode");
    const FileLocation entry = TranscodeCache::cacheURL(first, root);
    EXPECT_EQ(entry.deletingLastPathComponent(), root);
    EXPECT_EQ(entry.fileName(), TranscodeCache::key(first.url, 42, 123.5, TranscodeCache::version).toLatin1() + ".m4a");
    EXPECT_EQ(TranscodeCache::cacheURL(second, root), entry);
}

class TranscodeCacheSizeTest : public ::testing::Test
{
protected:
    void file(const QString &relative, qsizetype size) const { write(root.filePath(relative), QByteArray(size, 'x')); }
    qint64 size() const { return TranscodeCache::directorySize(FileLocation::fromLocalFile(root.path())); }

    QTemporaryDir root;
};

TEST_F(TranscodeCacheSizeTest, CountsRegularFilesAtEveryDepthButNoHiddenItemsOrLinks)
{
    EXPECT_EQ(TranscodeCache::directorySize(FileLocation::fromLocalFile(root.filePath("missing"))), 0);
    file(QStringLiteral("a.m4a"), 100);
    file(QStringLiteral("sub/b.m4a"), 20);
    file(QStringLiteral("sub/deeper/c.m4a"), 3);
    file(QStringLiteral(".hidden.m4a"), 100);
    file(QStringLiteral(".hidden/inside.m4a"), 100);
    QDir(root.path()).mkpath(QStringLiteral("empty/nested"));
    QFile::link(QStringLiteral("/usr/bin/ffmpeg"), root.filePath(QStringLiteral("link")));
    EXPECT_EQ(size(), 123);
}

// Folders that cannot be opened are passed over wherever the listing meets them. Root opens any
// folder whatever its mode, so a child process runs out of descriptors instead: three folders deep
// is as far as it can open.
TEST_F(TranscodeCacheSizeTest, UnopenableFoldersArePassedOver)
{
    for (int i = 0; i < 6; ++i) {
        const QString folder = QStringLiteral("f%1/").arg(i);
        file(folder + QStringLiteral("a.m4a"), 10);
        file(folder + QStringLiteral("deep/1/2/out-of-reach.m4a"), 1000);
    }
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        const rlimit limit{rlim_t(lowestFree + 3), rlim_t(lowestFree + 3)};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            ::_exit(2);
        const qint64 measured = size();
        ::_exit(::write(channel[1], &measured, sizeof measured) == sizeof measured ? 0 : 3);
    }
    ::close(channel[1]);
    qint64 measured = -1;
    EXPECT_EQ(::read(channel[0], &measured, sizeof measured), ssize_t(sizeof measured));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(measured, 60);
}

// Finding ffmpeg ----------------------------------------------------------------------------------

class FFmpegLocatorTest : public ::testing::Test
{
protected:
    QString folder(const QString &name) const
    {
        QDir().mkpath(root.filePath(name));
        return root.filePath(name);
    }
    // An executable named `name` in the folder `folderName`; returns its path.
    QString executable(const QString &folderName, const QString &name = QStringLiteral("ffmpeg")) const
    {
        return QString::fromUtf8(FakeProgram::write(folder(folderName), name, "exit 0\n").path());
    }
    static QProcessEnvironment withPath(const QString &path)
    {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("PATH"), path);
        return environment;
    }
    static std::optional<QString> pathOf(const std::optional<FileLocation> &location)
    {
        return location ? std::optional(QString::fromUtf8(location->path())) : std::nullopt;
    }

    QTemporaryDir root;
};

TEST_F(FFmpegLocatorTest, CustomPathComesFirstAndOneThatNamesNoExecutableFallsBackQuietly)
{
    const QString custom = executable(QStringLiteral("custom"));
    const QString fixed = executable(QStringLiteral("fixed"));
    executable(QStringLiteral("path"));
    const QStringList fixedFolders{folder(QStringLiteral("fixed"))};
    EXPECT_EQ(pathOf(FFmpegLocator::find(QStringLiteral("  %1\n").arg(custom), withPath(folder(QStringLiteral("path"))),
                                         fixedFolders)),
              custom);

    FakeProgram::writeNonExecutable(folder(QStringLiteral("custom")), QStringLiteral("plain"));
    QDir().mkpath(folder(QStringLiteral("custom/folder")));
    for (const QString &fallback : {QString(), QStringLiteral("   \n"), folder(QStringLiteral("custom")) + "/plain",
                                    folder(QStringLiteral("custom")) + "/missing", folder(QStringLiteral("custom/folder"))})
        EXPECT_EQ(pathOf(FFmpegLocator::find(fallback, withPath(QString()), fixedFolders)), fixed) << fallback.toStdString();
}

TEST_F(FFmpegLocatorTest, FixedFoldersWinInTheirOrderOverTheSearchPath)
{
    const QString first = executable(QStringLiteral("local"));
    const QString second = executable(QStringLiteral("homebrew"));
    const QString onPath = executable(QStringLiteral("path"));
    QDir().mkpath(folder(QStringLiteral("first/ffmpeg"))); // a folder is no executable
    const QStringList fixed{folder(QStringLiteral("first")), folder(QStringLiteral("local")), folder(QStringLiteral("homebrew"))};
    const auto environment = withPath(QStringLiteral("::%1::").arg(folder(QStringLiteral("path"))));

    EXPECT_EQ(pathOf(FFmpegLocator::find(std::nullopt, environment, fixed)), first);
    QFile::remove(first);
    EXPECT_EQ(pathOf(FFmpegLocator::find(std::nullopt, environment, fixed)), second);
    QFile::remove(second);
    EXPECT_EQ(pathOf(FFmpegLocator::find(std::nullopt, environment, fixed)), onPath); // empty pieces skipped
    QFile::remove(onPath);
    FakeProgram::writeNonExecutable(folder(QStringLiteral("path")), QStringLiteral("ffmpeg"));
    EXPECT_EQ(FFmpegLocator::find(std::nullopt, environment, fixed), std::nullopt);
}

TEST_F(FFmpegLocatorTest, RelativeSearchPathEntriesNeverSupplyAnExecutable)
{
    executable(QStringLiteral("work"));
    executable(QStringLiteral("work/bin"));
    const QString absolute = executable(QStringLiteral("path"));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder(QStringLiteral("work")));
    const auto found = FFmpegLocator::find(std::nullopt, withPath(QStringLiteral(".:bin:%1").arg(folder(QStringLiteral("path")))), {});
    QDir::setCurrent(previous);
    EXPECT_EQ(pathOf(found), absolute);

    if (QFile::exists(QStringLiteral("/usr/bin/ffmpeg"))) { // without PATH, the system folders
        EXPECT_EQ(pathOf(FFmpegLocator::find(std::nullopt, QProcessEnvironment(), {})), QStringLiteral("/usr/bin/ffmpeg"));
    }
}

TEST_F(FFmpegLocatorTest, FFprobeBesideFFmpegIsPreferredThenFixedFoldersThenSearchPath)
{
    const FileLocation ffmpeg = FileLocation::fromLocalFile(executable(QStringLiteral("custom")));
    const QString sibling = executable(QStringLiteral("custom"), QStringLiteral("ffprobe"));
    const QString fixed = executable(QStringLiteral("fixed"), QStringLiteral("ffprobe"));
    const QString onPath = executable(QStringLiteral("path"), QStringLiteral("ffprobe"));
    const auto environment = withPath(folder(QStringLiteral("path")));
    const QStringList fixedFolders{folder(QStringLiteral("fixed"))};

    EXPECT_EQ(pathOf(FFmpegLocator::ffprobe(ffmpeg, environment, fixedFolders)), sibling);
    QFile::remove(sibling);
    EXPECT_EQ(pathOf(FFmpegLocator::ffprobe(ffmpeg, environment, fixedFolders)), fixed);
    QFile::remove(fixed);
    EXPECT_EQ(pathOf(FFmpegLocator::ffprobe(ffmpeg, environment, fixedFolders)), onPath);
    QFile::remove(onPath);
    EXPECT_EQ(FFmpegLocator::ffprobe(ffmpeg, environment, fixedFolders), std::nullopt);
}

// Durations from ffprobe --------------------------------------------------------------------------

// A fake ffprobe beside a fake ffmpeg: prints the file "answer", exits with the number in
// "status" and logs its arguments to "arguments".
class FFprobeReaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ffmpeg = FakeProgram::write(tools(), QStringLiteral("ffmpeg"), "exit 0\n");
        FakeProgram::write(tools(), QStringLiteral("ffprobe"),
                           "dir=$(dirname \"$0\")\n"
                           "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$dir/arguments\"\n"
                           "cat \"$dir/answer\"\n"
                           "exit $(cat \"$dir/status\")\n");
    }
    QString tools() const { return folder.filePath(QStringLiteral("tools")); }
    void answer(const QByteArray &output, int status) const
    {
        write(tools() + QStringLiteral("/answer"), output);
        write(tools() + QStringLiteral("/status"), QByteArray::number(status));
    }
    std::optional<double> probe(const FileLocation &file) const
    {
        return FFprobeReader::duration(file, ffmpeg, QProcessEnvironment());
    }

    QTemporaryDir folder;
    FileLocation ffmpeg;
};

TEST_F(FFprobeReaderTest, OnlyAFinitePositiveNumberIsADuration)
{
    const std::tuple<const char *, int, std::optional<double>> cases[] = {
        {"245.333000\n", 0, 245.333}, {"  7.5 \r\n", 0, 7.5}, {"1.5e2\n", 0, 150.0}, {"N/A\n", 0, std::nullopt},
        {"0\n", 0, std::nullopt}, {"-1\n", 0, std::nullopt}, {"", 0, std::nullopt}, {"inf\n", 0, std::nullopt},
        {"-inf\n", 0, std::nullopt}, {"nan\n", 0, std::nullopt}, {"1e999\n", 0, std::nullopt},
        {"12,5\n", 0, std::nullopt}, {"12.5 s\n", 0, std::nullopt}, {"12.5\n13.0\n", 0, std::nullopt},
        {"\xff" "12\n", 0, std::nullopt}, {"12.5\n", 1, std::nullopt}};
    for (const auto &[output, status, seconds] : cases) {
        answer(output, status);
        EXPECT_EQ(probe(FileLocation::fromPath("/music/a.ogg")), seconds) << output << " " << status;
    }
}

TEST_F(FFprobeReaderTest, AsksForTheFormatDurationOfTheAbsolutePathAndNeedsFFprobe)
{
    answer("3.0\n", 0);
    const QString previous = QDir::currentPath();
    QDir::setCurrent(folder.path());
    const auto seconds = probe(FileLocation::fromPath("music/-a.ogg"));
    QDir::setCurrent(previous);

    EXPECT_EQ(seconds, 3.0);
    EXPECT_EQ(FakeProgram::readLines(tools() + QStringLiteral("/arguments")),
              (QStringList{"-v", "error", "-show_entries", "format=duration", "-of", "default=nw=1:nk=1",
                           folder.path() + QStringLiteral("/music/-a.ogg")}));

    QFile::remove(tools() + QStringLiteral("/ffprobe"));
    QProcessEnvironment environment;
    environment.insert(QStringLiteral("PATH"), tools());
    EXPECT_EQ(FFprobeReader::duration(FileLocation::fromPath("/music/a.ogg"), ffmpeg, environment), std::nullopt);
}

// Real ffprobe over real audio files, including a name whose bytes are GBK, not UTF-8.
class FFprobeReaderRealTest : public ::testing::TestWithParam<QByteArray>
{
};

TEST_P(FFprobeReaderRealTest, ReadsTheDurationOfRealAudio)
{
    const auto ffmpeg = ToneFile::systemFFmpeg();
    if (!ffmpeg)
        GTEST_SKIP() << "ffmpeg is not installed";
    QTemporaryDir folder;
    const ToneFile tone(folder.path(), GetParam());
    ASSERT_TRUE(tone.isValid());

    const auto seconds = FFprobeReader::duration(tone.location(), *ffmpeg, QProcessEnvironment::systemEnvironment());

    ASSERT_TRUE(seconds.has_value());
    EXPECT_NEAR(*seconds, 2.0, 0.05);
    const QByteArray ourLinks = ".quillmere-link-" + QByteArray::number(::getpid()) + '-';
    for (const QString &name : QDir(QDir::tempPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::System))
        EXPECT_FALSE(name.toLatin1().startsWith(ourLinks)) << "link left behind: " << name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Files, FFprobeReaderRealTest,
                         ::testing::Values(QByteArray("tone.flac"), QByteArray("tone.ogg"),
                                           QByteArray("tone.opus"), QByteArray("\xb8\xe8\xc7\xfa.ogg")));

// Child processes ---------------------------------------------------------------------------------

class ChildProcessTest : public ::testing::Test
{
protected:
    FileLocation script(const QByteArray &body) const { return FakeProgram::write(folder.path(), QStringLiteral("child"), body); }
    QString file(const QString &name) const { return folder.filePath(name); }
    qint64 pidIn(const QString &name) const
    {
        const QStringList lines = FakeProgram::readLines(file(name));
        return lines.isEmpty() ? 0 : lines.first().toLongLong();
    }

    QTemporaryDir folder;
};

TEST_F(ChildProcessTest, RunsWithoutAShellNoInputAndLoweredPriorityAndReportsItsStatus)
{
    ChildProcess child(script("for a in \"$@\"; do printf '%s\\n' \"$a\"; done >&2\ncat >&2\n"
                              "cut -d ' ' -f 19 /proc/$$/stat >&2\nexit 7\n"),
                       {QStringLiteral("a b"), QStringLiteral("$(touch x)"), QStringLiteral("*"), QStringLiteral("歌")});

    const ChildProcess::Result result = child.run();

    EXPECT_EQ(result.outcome, ChildProcess::Outcome::Exited);
    EXPECT_EQ(result.status, 7);
    const QStringList lines = QString::fromUtf8(result.output).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 5) << result.output.toStdString();
    EXPECT_EQ(lines.mid(0, 4), (QStringList{"a b", "$(touch x)", "*", "歌"}));
    EXPECT_GE(lines[4].toInt(), 10); // the nice value
}

TEST_F(ChildProcessTest, InheritsNoOtherFileDescriptors)
{
    const int inheritable = ::open("/dev/null", O_RDONLY); // deliberately without O_CLOEXEC
    ASSERT_GE(inheritable, 3);
    ChildProcess child(script("ls /proc/$$/fd >&2\n"), {});

    const ChildProcess::Result result = child.run();
    ::close(inheritable);

    const QStringList open = QString::fromUtf8(result.output).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(open.contains(QStringLiteral("2")));
    EXPECT_FALSE(open.contains(QString::number(inheritable))) << open.join(u' ').toStdString();
}

TEST_F(ChildProcessTest, KeepsOnlyTheChosenChannelAndItsLatestBytes)
{
    ChildProcess child(script("echo discarded >&2\nhead -c 100000 /dev/zero | tr '\\0' x\necho END\n"), {});
    child.keepOutput(ChildProcess::Channel::StandardOutput, 1000);

    const ChildProcess::Result result = child.run();

    EXPECT_EQ(result.output.size(), 1000);
    EXPECT_TRUE(result.output.endsWith("xxx\nEND\n") || result.output.endsWith("xEND\n"));
    EXPECT_FALSE(result.output.contains("discarded"));
    EXPECT_TRUE(result.outputTruncated);

    const ChildProcess::Result missing = ChildProcess(FileLocation::fromLocalFile(file("missing")), {}).run();
    EXPECT_EQ(missing.outcome, ChildProcess::Outcome::FailedToStart);
    EXPECT_FALSE(missing.errorText.isEmpty());
}

TEST_F(ChildProcessTest, TimeLimitKillsTheChildAndWhatItStarted)
{
    const QString body = QStringLiteral("echo $$ > '%1'\nsleep 30 &\necho $! > '%2'\necho started >&2\nwait\n")
                             .arg(file(QStringLiteral("pid")), file(QStringLiteral("grandchild")));
    ChildProcess child(script(body.toUtf8()), {});
    child.setTimeLimit(300ms);
    QElapsedTimer elapsed;
    elapsed.start();

    const ChildProcess::Result result = child.run();

    EXPECT_LT(elapsed.elapsed(), 5000);
    EXPECT_EQ(result.outcome, ChildProcess::Outcome::TimedOut);
    EXPECT_EQ(result.status, 9);
    EXPECT_EQ(result.output, "started\n");
    EXPECT_FALSE(FakeProgram::isAlive(pidIn(QStringLiteral("pid"))));
    const qint64 grandchild = pidIn(QStringLiteral("grandchild"));
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(FakeProgram::waitUntil([&] { return !FakeProgram::isAlive(grandchild); }, 2000));
}

TEST_F(ChildProcessTest, StopRequestKillsTheChild)
{
    ChildProcess child(script("exec sleep 30\n"), {});
    std::stop_source stop;
    std::jthread stopper([&stop] {
        std::this_thread::sleep_for(200ms);
        stop.request_stop();
    });

    EXPECT_EQ(child.run(stop.get_token()).outcome, ChildProcess::Outcome::Stopped);
}

// The program dying (here a death-test child that ends abruptly) takes its children with it.
// The death test runs this test again in a new process: the parent's folder travels there in the
// environment, and the child makes no folder of its own (it could not remove it).
TEST(ChildProcessDeathTest, ChildDiesWithTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    static constexpr char folderVariable[] = "QUILLMERE_TEST_CHILD_FOLDER";
    std::optional<QTemporaryDir> folder;
    if (!qEnvironmentVariableIsSet(folderVariable)) {
        folder.emplace();
        qputenv(folderVariable, QFile::encodeName(folder->path()));
    }
    const QString pidFile = qEnvironmentVariable(folderVariable) + QStringLiteral("/pid");

    EXPECT_EXIT(
        {
            const FileLocation program = FakeProgram::write(
                qEnvironmentVariable(folderVariable), QStringLiteral("child"),
                QStringLiteral("echo $$ > '%1'\nexec sleep 30\n").arg(pidFile).toUtf8());
            std::thread([program] { ChildProcess(program, {}).run(); }).detach();
            FakeProgram::waitUntil([&] { return !FakeProgram::readLines(pidFile).isEmpty(); });
            std::_Exit(0);
        },
        ::testing::ExitedWithCode(0), "");

    qunsetenv(folderVariable);
    const QStringList lines = FakeProgram::readLines(pidFile);
    ASSERT_FALSE(lines.isEmpty());
    const qint64 pid = lines.first().toLongLong();
    EXPECT_TRUE(FakeProgram::waitUntil([&] { return !FakeProgram::isAlive(pid); }, 3000));
}

} // namespace
