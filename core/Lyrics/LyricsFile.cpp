#include "LyricsFile.h"

#include "Storage/TextDecoding.h"

namespace LyricsFile {

std::optional<QByteArray> read(FileOperations &files, const FileLocation &file)
{
    std::expected<QByteArray, FileError> bytes = files.readAll(file, maximumSize);
    if (!bytes)
        return std::nullopt;
    return std::move(*bytes);
}

std::optional<QString> decodeText(const QByteArray &bytes)
{
    return TextDecoding::decode(bytes);
}

} // namespace LyricsFile
