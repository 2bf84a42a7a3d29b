#include "ToneFile.h"

#include "AudioFixture.h"
#include "Transcode/FFmpegLocator.h"

#include <QFile>

#include <cstdio>
#include <unistd.h>

ToneFile::ToneFile(const QString &folder, const QByteArray &name, int frequency)
{
    const QString extension = QString::fromLatin1(name.mid(name.lastIndexOf('.') + 1));
    const QString made = AudioFixture::makeTone(folder, QStringLiteral("made.") + extension, 2.0, frequency);
    if (made.isEmpty())
        return;
    const FileLocation location = FileLocation::fromLocalFile(folder).appending(name);
    if (std::rename(QFile::encodeName(made).constData(), location.cPath()) == 0)
        m_location = location;
}

ToneFile::~ToneFile()
{
    if (isValid())
        ::unlink(m_location.cPath());
}

std::optional<FileLocation> ToneFile::systemFFmpeg()
{
    if (!AudioFixture::ffmpegAvailable())
        return std::nullopt;
    return FFmpegLocator::find(std::nullopt, QProcessEnvironment::systemEnvironment());
}
