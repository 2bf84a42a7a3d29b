#pragma once

#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

// Real audio files for tests, made by the ffmpeg executable at test time.
namespace AudioFixture {

// A sine tone in the format the file name's extension implies (m4a is AAC unless `extra` picks
// another codec, e.g. {"-c:a", "alac"}). Returns its path, or fails the test and returns "".
inline QString makeTone(const QString &folder, const QString &fileName, double seconds = 2.0, int frequency = 1000,
                        const QStringList &extra = {})
{
    const QString path = QDir(folder).filePath(fileName);
    const QString source = QStringLiteral("sine=frequency=%1:duration=%2:sample_rate=44100").arg(frequency).arg(seconds);
    // `extra` may add inputs (a cover image); the output options go after them.
    const QStringList arguments = QStringList{"-hide_banner", "-loglevel", "error", "-y", "-f", "lavfi", "-i", source}
                                  + extra + QStringList{"-fflags", "+bitexact", "-map_metadata", "-1", path};
    QProcess ffmpeg;
    ffmpeg.setStandardInputFile(QProcess::nullDevice());
    ffmpeg.start(QStringLiteral("ffmpeg"), arguments);
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitStatus() != QProcess::NormalExit || ffmpeg.exitCode() != 0) {
        ADD_FAILURE() << "ffmpeg failed to make " << path.toStdString() << ": " << ffmpeg.readAllStandardError().toStdString();
        return {};
    }
    return path;
}

// True when the ffmpeg executable can be run.
inline bool ffmpegAvailable()
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-version")});
    return ffmpeg.waitForFinished(10000) && ffmpeg.exitCode() == 0;
}

} // namespace AudioFixture
