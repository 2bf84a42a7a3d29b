#pragma once

#include "Storage/FileLocation.h"
#include "Storage/JsonReader.h"
#include "Storage/JsonWriter.h"

#include <QMetaType>
#include <QString>
#include <QUuid>

#include <expected>
#include <optional>

// One audio file of the library. A plain value: a changed copy counts once its owner stores it.
struct Track
{
    QUuid id;
    FileLocation url;
    QString title;
    QString artist;  // "" when neither the tags nor the file name give one
    QString album;   // "" when the tags give none
    std::optional<QString> albumArtist;
    std::optional<qint64> year;
    std::optional<qint64> trackNumber; // 0 is a valid number
    std::optional<QString> genre;
    double duration = 0;    // seconds; 0 when no metadata was read
    qint64 fileSize = 0;    // bytes, as the file system reported them
    double modifiedAt = 0;  // seconds since 2001-01-01 UTC (FileTime)
    std::optional<QString> artworkFileName; // name inside the library's covers folder
    bool isMissing = false;

    friend bool operator==(const Track &, const Track &) = default;

    // Streamed: a library holds a hundred thousand of them.
    void write(JsonWriter &writer) const;
    // Ignores a cover name that is not a plain file name.
    static std::expected<Track, QString> read(JsonReader &reader);

    // A name that stays inside the covers folder: not empty, no "/", not "." or "..".
    static bool isCoverFileName(const QString &name);
};

size_t qHash(const Track &track, size_t seed = 0);

Q_DECLARE_METATYPE(Track)
