#pragma once

#include "Storage/FileLocation.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Stand-ins for ffmpeg and ffprobe: small shell scripts in a temporary folder.
namespace FakeProgram {

// Writes `script` (a /bin/sh body) as an executable file; returns its location.
FileLocation write(const QString &folder, const QString &name, const QByteArray &script);

// A plain file that no one may execute, with the given name.
FileLocation writeNonExecutable(const QString &folder, const QString &name);

// True while the process runs (a zombie counts as ended).
bool isAlive(qint64 pid);

// Polls until the condition holds; false after `milliseconds`.
bool waitUntil(const std::function<bool()> &condition, int milliseconds = 10000);

// The lines of a text file ("" when it is missing).
QStringList readLines(const QString &path);

} // namespace FakeProgram
