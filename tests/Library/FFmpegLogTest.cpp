// libav's messages reach the program's log, warnings and worse only, and never the terminal.
#include "FFmpegLog.h"
#include "Library/AudioStreamProbe.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

QStringList logged;

void collect(QtMsgType, const QMessageLogContext &context, const QString &message)
{
    if (QByteArrayView(context.category) == "quillmere.ffmpeg")
        logged.append(message);
}

TEST(FFmpegLogTest, WarningsGoToTheLogAndNothingToTheTerminal)
{
    const QtMessageHandler previous = qInstallMessageHandler(collect);
    QTemporaryDir folder;
    const QString path = folder.filePath("damaged.mp3");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(600, '\x01') + QByteArray("\xFF\xFB\x90\x00", 4));
    file.close();

    // Standard error into a file, to see what libav would have printed there.
    fflush(stderr);
    const int savedError = ::dup(STDERR_FILENO);
    QFile captured(folder.filePath("stderr"));
    ASSERT_TRUE(captured.open(QIODevice::ReadWrite));
    ::dup2(captured.handle(), STDERR_FILENO);
    AudioStreamProbe::readableDuration(FileLocation::fromLocalFile(path));
    av_log(nullptr, AV_LOG_WARNING, "a warning\n");
    av_log(nullptr, AV_LOG_INFO, "some information\n");
    fflush(stderr);
    ::dup2(savedError, STDERR_FILENO);
    ::close(savedError);
    qInstallMessageHandler(previous);

    EXPECT_TRUE(captured.readAll().isEmpty());
    EXPECT_TRUE(logged.contains(QStringLiteral("a warning")));
    EXPECT_FALSE(logged.contains(QStringLiteral("some information")));
}

} // namespace
