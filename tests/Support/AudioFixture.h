#pragma once

#include <QString>
#include <QStringList>

// Real audio files for tests, made by the ffmpeg executable at test time.
namespace AudioFixture {

// A sine tone in the format that the file name's extension implies (m4a is AAC unless `extra`
// picks another codec, e.g. {"-c:a", "alac"}). Returns the file's path; fails the current test
// and returns an empty text when ffmpeg fails.
QString makeTone(const QString &folder, const QString &fileName, double seconds = 2.0,
                 int frequency = 1000, const QStringList &extra = {});

// True when the ffmpeg executable can be run.
bool ffmpegAvailable();

} // namespace AudioFixture
