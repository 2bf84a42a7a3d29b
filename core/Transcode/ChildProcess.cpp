#include "ChildProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>

#include <csignal>
#include <linux/close_range.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// How often a waiting run looks at its stop request.
constexpr int pollMilliseconds = 50;
// The niceness of every child: conversions and probes yield to playback and the interface.
constexpr int childNiceness = 10;

// The latest `limit` bytes of a stream.
class OutputTail
{
public:
    explicit OutputTail(qsizetype limit) : m_limit(limit) {}

    void append(const QByteArray &bytes)
    {
        m_bytes += bytes;
        if (m_bytes.size() > m_limit) {
            m_bytes.remove(0, m_bytes.size() - m_limit);
            m_truncated = true;
        }
    }
    const QByteArray &bytes() const { return m_bytes; }
    bool truncated() const { return m_truncated; }

private:
    qsizetype m_limit;
    QByteArray m_bytes;
    bool m_truncated = false;
};

} // namespace

ChildProcess::ChildProcess(FileLocation program, QStringList arguments)
    : m_program(std::move(program)), m_arguments(std::move(arguments))
{
}

void ChildProcess::keepOutput(Channel channel, qsizetype limit)
{
    m_channel = channel;
    m_outputLimit = limit;
}

ChildProcess::Result ChildProcess::run(std::stop_token stop) const
{
    QProcess process;
    process.setProgram(QFile::decodeName(m_program.path()));
    process.setArguments(m_arguments);
    process.setStandardInputFile(QProcess::nullDevice());
    if (m_channel == Channel::StandardOutput) {
        process.setStandardErrorFile(QProcess::nullDevice());
        process.setReadChannel(QProcess::StandardOutput);
    } else {
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setReadChannel(QProcess::StandardError);
    }
    const pid_t parent = ::getpid();
    process.setChildProcessModifier([parent] {
        // Runs in the child between fork and exec: only async-signal-safe calls.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent)
            ::_exit(127); // this program died before the line above took effect
        // Its own process group, so a kill also reaches what the child starts.
        ::setpgid(0, 0);
        ::setpriority(PRIO_PROCESS, 0, childNiceness);
        // Nothing this program has open (sockets, the audio device, a pipe that a parent waits on)
        // leaks into the child; Qt's own pipes are close-on-exec already.
        ::close_range(3, ~0U, CLOSE_RANGE_CLOEXEC);
    });

    Result result;
    process.start();
    if (!process.waitForStarted(-1)) {
        result.errorText = process.errorString();
        return result;
    }

    OutputTail tail(m_outputLimit);
    const QDeadlineTimer deadline(m_timeLimit);
    result.outcome = Outcome::Exited;
    while (process.state() != QProcess::NotRunning) {
        if (stop.stop_requested())
            result.outcome = Outcome::Stopped;
        else if (deadline.hasExpired())
            result.outcome = Outcome::TimedOut;
        if (result.outcome != Outcome::Exited) {
            if (const pid_t child = pid_t(process.processId()); child > 0)
                ::kill(-child, SIGKILL);
            process.kill();
            process.waitForFinished(-1);
            break;
        }
        const int slice = int(std::min<qint64>(pollMilliseconds, deadline.remainingTime()));
        // A child that closed the kept channel but runs on makes waitForReadyRead return at once.
        if (!process.waitForReadyRead(slice) && process.state() != QProcess::NotRunning)
            process.waitForFinished(slice);
        tail.append(process.readAll());
    }
    tail.append(process.readAll());

    result.status = process.exitCode();
    result.output = tail.bytes();
    result.outputTruncated = tail.truncated();
    return result;
}
