#pragma once

#include "Lyrics/LyricsCache.h"
#include "Lyrics/ResolvedLyrics.h"
#include "Models/Track.h"

#include <QFuture>
#include <QUrl>

#include <functional>
#include <memory>
#include <optional>

// Finds the lyrics of a track (override, sidecar, cache, online). Resolutions run off the GUI
// thread; the caller applies a result only while its track is still current.
class LyricsResolving
{
public:
    virtual ~LyricsResolving() = default;

    // Cancelling the future abandons the resolution.
    virtual QFuture<std::optional<ResolvedLyrics>> resolve(const Track &track) = 0;
    virtual void setOnlineEnabled(bool enabled) = 0;
    virtual void setEndpoint(const QUrl &endpoint) = 0;
};

// Builds the resolver over the lyrics cache, asking the online service at the endpoint.
using LyricsResolverFactory =
    std::function<std::unique_ptr<LyricsResolving>(const LyricsCache &cache, const QUrl &endpoint)>;
