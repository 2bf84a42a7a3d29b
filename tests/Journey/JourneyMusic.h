#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

// The music folder of the journey, made with ffmpeg: Chinese tags, a .lrc sidecar, a format
// that plays only through a conversion, and a file whose GB 18030 tags were stored as Latin-1.
class JourneyMusic
{
public:
    // The sidecar's first line.
    static const QString firstLyric;

    explicit JourneyMusic(QString folder);

    // Makes the files; false (with the reason in `error`) when ffmpeg fails.
    bool create(QString *error);

    QString folder() const { return m_folder; }
    QString path(const QString &fileName) const { return m_folder + QLatin1Char('/') + fileName; }
    QStringList audioFileNames() const;

    // A hash of the audio packets alone, blind to the tags around them; empty when unreadable.
    static QString audioHash(const QString &file);
    // The file's tag `key` (e.g. "title") as ffprobe reads it.
    static QString tag(const QString &file, const QString &key);

private:
    QString m_folder;
};
