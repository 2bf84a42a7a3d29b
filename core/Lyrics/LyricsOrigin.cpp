#include "LyricsOrigin.h"

#include <array>

namespace {

constexpr std::array names { std::pair { LyricsOrigin::Override, u"override" },
    std::pair { LyricsOrigin::Sidecar, u"sidecar" }, std::pair { LyricsOrigin::Online, u"online" },
    std::pair { LyricsOrigin::None, u"none" } };

} // namespace

QString lyricsOriginName(LyricsOrigin origin)
{
    for (const auto &[value, name] : names) {
        if (value == origin)
            return QString::fromUtf16(name);
    }
    return {};
}

std::optional<LyricsOrigin> lyricsOriginFromName(QStringView name)
{
    for (const auto &[value, text] : names) {
        if (name == QStringView(text))
            return value;
    }
    return std::nullopt;
}
