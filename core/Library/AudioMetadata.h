#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// What a metadata reader found in one audio file. A plain value, passed from a reader to its
// callers only; it has no JSON form. In a record from a reader, an absent field means the file
// gives no value, and a present text is never empty.
struct AudioMetadata
{
    std::optional<QString> title = std::nullopt;
    std::optional<QString> artist = std::nullopt;
    std::optional<QString> album = std::nullopt;
    std::optional<QString> albumArtist = std::nullopt;
    std::optional<qint64> year = std::nullopt;
    std::optional<qint64> trackNumber = std::nullopt; // 0 is a valid number
    std::optional<QString> genre = std::nullopt;
    double duration = 0; // seconds; finite and not below 0
    std::optional<QByteArray> artworkData = std::nullopt; // the cover exactly as stored, not decoded
};
