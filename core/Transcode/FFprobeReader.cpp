#include "FFprobeReader.h"

#include "ChildProcess.h"
#include "FFmpegLocator.h"
#include "MediaPathArgument.h"

#include <QDir>
#include <QStringDecoder>

#include <cmath>

namespace {

// A probe that hangs (a stalled network mount, a damaged file) must not hold up every later one.
constexpr std::chrono::seconds probeTimeLimit{60};
// The answer is one number; anything longer is not an answer.
constexpr qsizetype outputLimit = 4096;

} // namespace

std::optional<double> FFprobeReader::duration(const FileLocation &file, const FileLocation &ffmpeg,
                                              const QProcessEnvironment &environment)
{
    const std::optional<FileLocation> ffprobe =
        FFmpegLocator::ffprobe(ffmpeg, environment, FFmpegLocator::defaultFixedDirectories());
    if (!ffprobe)
        return std::nullopt;
    const auto input = MediaPathArgument::make(file, FileLocation::fromLocalFile(QDir::tempPath()));
    if (!input)
        return std::nullopt;

    ChildProcess process(*ffprobe, {QStringLiteral("-v"), QStringLiteral("error"),
                                    QStringLiteral("-show_entries"), QStringLiteral("format=duration"),
                                    QStringLiteral("-of"), QStringLiteral("default=nw=1:nk=1"),
                                    input->text()});
    process.keepOutput(ChildProcess::Channel::StandardOutput, outputLimit);
    process.setTimeLimit(probeTimeLimit);
    const ChildProcess::Result result = process.run();
    if (result.outcome != ChildProcess::Outcome::Exited || result.status != 0 || result.outputTruncated)
        return std::nullopt;

    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = QString(decoder.decode(result.output)).trimmed();
    if (decoder.hasError())
        return std::nullopt;
    // QString::toDouble reads the C locale's notation whatever the process locale is.
    bool parsed = false;
    const double seconds = text.toDouble(&parsed);
    if (!parsed || !std::isfinite(seconds) || seconds <= 0)
        return std::nullopt;
    return seconds;
}
