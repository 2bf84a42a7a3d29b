#pragma once

#include <QHashFunctions>
#include <QString>
#include <QStringView>

#include <optional>
#include <utility>

// Where the lyrics shown for a track came from. Online also covers earlier online results read
// back from the cache.
enum class LyricsOrigin { Override, Sidecar, Online, None };

inline size_t qHash(LyricsOrigin origin, size_t seed = 0)
{
    return qHash(std::to_underlying(origin), seed);
}

// "override", "sidecar", "online" or "none".
QString lyricsOriginName(LyricsOrigin origin);
// Nothing for a name that is not one of the four.
std::optional<LyricsOrigin> lyricsOriginFromName(QStringView name);
