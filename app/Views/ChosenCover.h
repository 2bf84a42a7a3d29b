#pragma once

#include "Storage/FileLocation.h"

#include <QImage>
#include <QString>

#include <expected>
#include <optional>

// An image file the user picked as the new cover, taken in on a worker thread: its bytes in
// Base64 for the tag writer and a thumbnail for the preview.
struct ChosenCover
{
    // Larger files are refused: their Base64 would be written into every file of a batch.
    static constexpr qint64 maximumFileBytes = 20 * 1024 * 1024;

    QString base64;
    QImage thumbnail;

    // Nothing when the file cannot be read (the choice is then dropped without a word); the cover,
    // or the short reason it is refused: larger than the limit, or no image Qt can decode.
    static std::optional<std::expected<ChosenCover, QString>> read(
        const FileLocation &file, int thumbnailSide);
};
