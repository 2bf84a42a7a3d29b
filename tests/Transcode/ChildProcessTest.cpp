#include "FakeProgram.h"
#include "Transcode/ChildProcess.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <thread>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

class ChildProcessTest : public ::testing::Test
{
protected:
    FileLocation script(const QByteArray &body) const
    {
        return FakeProgram::write(folder.path(), QStringLiteral("child"), body);
    }
    QString file(const QString &name) const { return QDir(folder.path()).filePath(name); }
    qint64 pidIn(const QString &name) const
    {
        const QStringList lines = FakeProgram::readLines(file(name));
        return lines.isEmpty() ? 0 : lines.first().toLongLong();
    }

    QTemporaryDir folder;
};

TEST_F(ChildProcessTest, ArgumentsArriveAsTheyStandWithoutAShell)
{
    ChildProcess child(script("for a in \"$@\"; do printf '%s\\n' \"$a\"; done >&2\n"),
                       {QStringLiteral("a b"), QStringLiteral("$(touch x)"), QStringLiteral("*"), QStringLiteral("歌")});

    const ChildProcess::Result result = child.run();

    EXPECT_EQ(result.outcome, ChildProcess::Outcome::Exited);
    EXPECT_EQ(QString::fromUtf8(result.output), QStringLiteral("a b\n$(touch x)\n*\n歌\n"));
}

TEST_F(ChildProcessTest, StandardInputIsTheNullDevice)
{
    ChildProcess child(script("cat >&2\necho done >&2\n"), {});

    const ChildProcess::Result result = child.run();

    EXPECT_EQ(result.outcome, ChildProcess::Outcome::Exited);
    EXPECT_EQ(result.output, "done\n");
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
}

TEST_F(ChildProcessTest, ReportsTheExitStatus)
{
    ChildProcess child(script("exit 7\n"), {});

    const ChildProcess::Result result = child.run();

    EXPECT_EQ(result.outcome, ChildProcess::Outcome::Exited);
    EXPECT_EQ(result.status, 7);
}

TEST_F(ChildProcessTest, RunsAtLoweredPriority)
{
    ChildProcess child(script("cut -d ' ' -f 19 /proc/$$/stat >&2\n"), {});

    const ChildProcess::Result result = child.run();

    EXPECT_GE(result.output.trimmed().toInt(), 10);
}

TEST_F(ChildProcessTest, MissingProgramFailsToStart)
{
    ChildProcess child(FileLocation::fromLocalFile(file(QStringLiteral("missing"))), {});

    const ChildProcess::Result result = child.run();

    EXPECT_EQ(result.outcome, ChildProcess::Outcome::FailedToStart);
    EXPECT_FALSE(result.errorText.isEmpty());
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

    const ChildProcess::Result result = child.run(stop.get_token());

    EXPECT_EQ(result.outcome, ChildProcess::Outcome::Stopped);
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
