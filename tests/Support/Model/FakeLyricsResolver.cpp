#include "FakeLyricsResolver.h"

QFuture<std::optional<ResolvedLyrics>> FakeLyricsResolver::resolve(const Track &track)
{
    auto promise = std::make_shared<QPromise<std::optional<ResolvedLyrics>>>();
    promise->start();
    m_requests.append({track, promise});
    return promise->future();
}

void FakeLyricsResolver::finish(qsizetype index, const std::optional<ResolvedLyrics> &result)
{
    const Request &request = m_requests.at(index);
    if (request.promise->isCanceled()) {
        request.promise->finish();
        return;
    }
    request.promise->addResult(result);
    request.promise->finish();
}
