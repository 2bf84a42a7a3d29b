#pragma once

#include "Storage/FileLocation.h"

#include <QByteArray>
#include <QString>

#include <optional>

// A real two-second tone made by Debian's ffmpeg under a name given as raw bytes, which need not
// be UTF-8 (QTemporaryDir cannot remove such a name, so the file removes itself).
class ToneFile
{
public:
    // The format follows the name's extension.
    ToneFile(const QString &folder, const QByteArray &name, int frequency = 1000);
    ~ToneFile();
    ToneFile(const ToneFile &) = delete;
    ToneFile &operator=(const ToneFile &) = delete;

    bool isValid() const { return !m_location.isEmpty(); }
    const FileLocation &location() const { return m_location; }

    // The system's ffmpeg as the player would locate it; nothing when it is not installed.
    static std::optional<FileLocation> systemFFmpeg();

private:
    FileLocation m_location;
};
