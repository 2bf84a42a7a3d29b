#pragma once

#include "Storage/FileLocation.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <stop_token>

// Runs an external program to its end on the calling thread, the way every FFmpeg child runs:
// arguments as a list (never a shell), standard input from the null device, one output channel
// kept with a bound and the other discarded, no other inherited file descriptors, lowered
// priority, a time limit, and never outliving this program (it is killed when this process dies,
// even by a signal).
class ChildProcess
{
public:
    enum class Channel { StandardOutput, StandardError };
    enum class Outcome { Exited, FailedToStart, TimedOut, Stopped };

    struct Result
    {
        Outcome outcome = Outcome::FailedToStart;
        // The exit status, or the number of the signal that ended the child.
        int status = 0;
        // The last bytes of the kept channel.
        QByteArray output;
        bool outputTruncated = false;
        // Why the program could not be started.
        QString errorText;
    };

    ChildProcess(FileLocation program, QStringList arguments);

    // Keeps at most `limit` bytes (the latest) of `channel`; standard error by default.
    void keepOutput(Channel channel, qsizetype limit);
    // A child still running after this long is killed.
    void setTimeLimit(std::chrono::milliseconds limit) { m_timeLimit = limit; }

    // Blocks until the child has ended. A stop request kills it (and whatever it started).
    Result run(std::stop_token stop = {}) const;

private:
    FileLocation m_program;
    QStringList m_arguments;
    Channel m_channel = Channel::StandardError;
    qsizetype m_outputLimit = 16 * 1024;
    std::chrono::milliseconds m_timeLimit = std::chrono::minutes(30);
};
