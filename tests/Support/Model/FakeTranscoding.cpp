#include "FakeTranscoding.h"

std::optional<FileLocation> FakeTranscoding::cachedURL(const Track &track) const
{
    if (const auto copy = m_cached.constFind(track.url); copy != m_cached.cend())
        return *copy;
    return std::nullopt;
}

QFuture<TranscodeResult> FakeTranscoding::ensureCached(const Track &track)
{
    auto promise = std::make_shared<QPromise<TranscodeResult>>();
    promise->start();
    m_requests.append({track, promise});
    return promise->future();
}

std::expected<void, TranscodeError> FakeTranscoding::clearCache()
{
    ++m_clearCount;
    if (m_clearResult)
        m_cached.clear();
    return m_clearResult;
}

void FakeTranscoding::finish(qsizetype index, const TranscodeResult &result)
{
    const Request &request = m_requests.at(index);
    if (result)
        m_cached.insert(request.track.url, *result);
    request.promise->addResult(result);
    request.promise->finish();
}
