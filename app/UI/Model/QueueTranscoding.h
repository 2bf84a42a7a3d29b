#pragma once

#include "Transcoding.h"

#include "Transcode/TranscodeQueue.h"

// The production conversions: the core's queue running the external ffmpeg.
class QueueTranscoding final : public Transcoding
{
public:
    QueueTranscoding(const FileLocation &cacheRoot, std::optional<FileLocation> ffmpeg)
        : m_queue(cacheRoot, std::move(ffmpeg))
    {
    }

    bool isProcessing() const override { return m_queue.isProcessing(); }
    void updateFFmpeg(std::optional<FileLocation> ffmpeg) override { m_queue.updateFFmpeg(std::move(ffmpeg)); }
    std::optional<FileLocation> cachedURL(const Track &track) const override { return m_queue.cachedURL(track); }
    void enqueue(const Track &track, bool priority) override { m_queue.enqueue(track, priority); }
    QFuture<TranscodeResult> ensureCached(const Track &track) override { return m_queue.ensureCached(track); }
    std::expected<void, TranscodeError> clearCache() override { return m_queue.clearCache(); }

private:
    TranscodeQueue m_queue;
};
