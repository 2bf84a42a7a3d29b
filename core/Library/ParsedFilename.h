#pragma once

#include <QString>

#include <optional>

// What a file name suggests about its track, for use where the tags give nothing.
struct ParsedFilename
{
    QString title;                     // may be empty
    std::optional<QString> artist;     // only from an artist/title separator with text on both sides
    std::optional<qint64> trackNumber; // only from a leading number of one to three digits

    friend bool operator==(const ParsedFilename &, const ParsedFilename &) = default;
};
