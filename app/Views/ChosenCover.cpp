#include "ChosenCover.h"

#include "CoverThumbnail.h"
#include "Localization.h"
#include "Storage/FileOperations.h"

#include <cerrno>

std::optional<std::expected<ChosenCover, QString>> ChosenCover::read(
    const FileLocation &file, int thumbnailSide)
{
    const auto bytes = FileOperations::system().readAll(file, maximumFileBytes);
    if (!bytes) {
        if (bytes.error().code == EFBIG)
            return std::unexpected(L("封面图片不能超过 20 MB。"));
        return std::nullopt;
    }
    const QImage thumbnail = CoverThumbnail::decode(*bytes, thumbnailSide);
    if (thumbnail.isNull())
        return std::unexpected(L("无法识别所选的封面图片。"));
    return ChosenCover { QString::fromLatin1(bytes->toBase64()), thumbnail };
}
