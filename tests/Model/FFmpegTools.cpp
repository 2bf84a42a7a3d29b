#include "FFmpegTools.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <gtest/gtest.h>

FFmpegTools::FFmpegTools(const QString &folder) : m_folder(folder)
{
    QDir().mkpath(folder);
    const QString ffmpeg = QStandardPaths::findExecutable(QStringLiteral("ffmpeg"));
    const QString ffprobe = QStandardPaths::findExecutable(QStringLiteral("ffprobe"));
    if (ffmpeg.isEmpty() || ffprobe.isEmpty()) {
        ADD_FAILURE() << "ffmpeg and ffprobe are needed";
        return;
    }
    QFile::link(ffmpeg, ffmpegPath());
    QFile script(folder + QStringLiteral("/ffprobe"));
    if (!script.open(QIODevice::WriteOnly)) {
        ADD_FAILURE() << "cannot write the ffprobe script";
        return;
    }
    // The file is the last argument.
    script.write(QStringLiteral("#!/bin/sh\nfor last; do :; done\necho \"$last\" >> '%1/probed.log'\nexec '%2' \"$@\"\n")
                     .arg(folder, ffprobe)
                     .toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner | QFileDevice::ExeUser);
}

QStringList FFmpegTools::probedFiles() const
{
    QFile log(m_folder + QStringLiteral("/probed.log"));
    if (!log.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(log.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}
