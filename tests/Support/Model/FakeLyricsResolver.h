#pragma once

#include "LyricsResolving.h"

#include <QList>
#include <QPromise>

#include <memory>

// Resolutions a test answers by hand, in any order.
class FakeLyricsResolver final : public LyricsResolving
{
public:
    struct Request
    {
        Track track;
        std::shared_ptr<QPromise<std::optional<ResolvedLyrics>>> promise;
    };

    QFuture<std::optional<ResolvedLyrics>> resolve(const Track &track) override;
    void setOnlineEnabled(bool enabled) override { m_onlineEnabled = enabled; }
    void setEndpoint(const QUrl &endpoint) override { m_endpoint = endpoint; }

    // Answers the request made `index`-th (from 0).
    void finish(qsizetype index, const std::optional<ResolvedLyrics> &result);

    const QList<Request> &requests() const { return m_requests; }
    bool isOnlineEnabled() const { return m_onlineEnabled; }
    const QUrl &endpoint() const { return m_endpoint; }

private:
    QList<Request> m_requests;
    bool m_onlineEnabled = true;
    QUrl m_endpoint;
};
