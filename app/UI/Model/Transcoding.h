#pragma once

#include "Models/Track.h"
#include "Storage/FileLocation.h"
#include "Transcode/TranscodeQueue.h"

#include <QFuture>

#include <expected>
#include <functional>
#include <memory>
#include <optional>

// The serial conversion queue as the model uses it: cached copies of formats the engine cannot
// play, made one at a time, priority requests first.
class Transcoding
{
public:
    virtual ~Transcoding() = default;

    // True while a conversion runs.
    virtual bool isProcessing() const = 0;
    virtual void updateFFmpeg(std::optional<FileLocation> ffmpeg) = 0;
    virtual std::optional<FileLocation> cachedURL(const Track &track) const = 0;
    virtual void enqueue(const Track &track, bool priority) = 0;
    // Finishes on a worker thread; the caller hops back to the GUI thread itself.
    virtual QFuture<TranscodeResult> ensureCached(const Track &track) = 0;
    virtual std::expected<void, TranscodeError> clearCache() = 0;
};

// Builds the queue over the cache folder with the located ffmpeg, which may be absent.
using TranscodingFactory =
    std::function<std::unique_ptr<Transcoding>(const FileLocation &cacheRoot, std::optional<FileLocation> ffmpeg)>;
