#include "AudioFixture.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

namespace AudioFixture {

QString makeTone(const QString &folder, const QString &fileName, double seconds, int frequency,
                 const QStringList &extra)
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
        ADD_FAILURE() << "ffmpeg failed to make " << path.toStdString() << ": "
                      << ffmpeg.readAllStandardError().toStdString();
        return {};
    }
    return path;
}

bool ffmpegAvailable()
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {QStringLiteral("-version")});
    return ffmpeg.waitForFinished(10000) && ffmpeg.exitCode() == 0;
}

} // namespace AudioFixture
