#pragma once

#include "Transcoding.h"

#include <QHash>
#include <QList>
#include <QPromise>

#include <memory>

// Conversions a test finishes by hand: every ensureCached() call gets its own promise, so
// conversions can finish in any order.
class FakeTranscoding final : public Transcoding
{
public:
    struct Request
    {
        Track track;
        std::shared_ptr<QPromise<TranscodeResult>> promise;
    };

    bool isProcessing() const override { return m_processing; }
    void updateFFmpeg(std::optional<FileLocation> ffmpeg) override { m_ffmpeg = std::move(ffmpeg); }
    std::optional<FileLocation> cachedURL(const Track &track) const override;
    void enqueue(const Track &track, bool priority) override { m_enqueued.append({track, priority}); }
    QFuture<TranscodeResult> ensureCached(const Track &track) override;
    std::expected<void, TranscodeError> clearCache() override;

    // Scripting.
    void setCached(const Track &track, const FileLocation &copy) { m_cached.insert(track.url, copy); }
    void setProcessing(bool processing) { m_processing = processing; }
    void setClearResult(std::expected<void, TranscodeError> result) { m_clearResult = std::move(result); }
    // Answers the request made `index`-th (from 0) and caches a successful copy.
    void finish(qsizetype index, const TranscodeResult &result);

    // What happened.
    const std::optional<FileLocation> &ffmpeg() const { return m_ffmpeg; }
    const QList<std::pair<Track, bool>> &enqueued() const { return m_enqueued; }
    const QList<Request> &requests() const { return m_requests; }
    int clearCount() const { return m_clearCount; }

private:
    std::optional<FileLocation> m_ffmpeg;
    QHash<FileLocation, FileLocation> m_cached;
    bool m_processing = false;
    std::expected<void, TranscodeError> m_clearResult;
    QList<std::pair<Track, bool>> m_enqueued;
    QList<Request> m_requests;
    int m_clearCount = 0;
};
