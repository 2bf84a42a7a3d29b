#pragma once

#include <QString>
#include <QStringList>

// An ffmpeg the model can locate in a folder of its own: the system's ffmpeg linked in, and an
// ffprobe that notes each file it is asked about before the system's ffprobe answers.
class FFmpegTools
{
public:
    explicit FFmpegTools(const QString &folder);

    QString ffmpegPath() const { return m_folder + QStringLiteral("/ffmpeg"); }
    // The files probed so far, one per probe, in order.
    QStringList probedFiles() const;

private:
    QString m_folder;
};
