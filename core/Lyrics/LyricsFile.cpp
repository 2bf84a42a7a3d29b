#include "LyricsFile.h"

#include <QStringConverter>
#include <QStringDecoder>

namespace {

std::optional<QString> decodeStrictly(const QByteArray &bytes, QStringDecoder decoder)
{
    if (!decoder.isValid())
        return std::nullopt;
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

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
    if (auto text
        = decodeStrictly(bytes, QStringDecoder(QStringConverter::Utf8, QStringDecoder::Flag::Stateless)))
        return text;
    if (const std::optional<QStringConverter::Encoding> marked = QStringConverter::encodingForData(bytes);
        marked && *marked != QStringConverter::Utf8) {
        return decodeStrictly(bytes, QStringDecoder(*marked, QStringDecoder::Flag::Stateless));
    }
    return decodeStrictly(bytes, QStringDecoder("GB18030", QStringDecoder::Flag::Stateless));
}

} // namespace LyricsFile
