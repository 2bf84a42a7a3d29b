#pragma once

#include "LyricsResolving.h"

#include "Lyrics/LyricsService.h"

#include <QNetworkAccessManager>

// The production resolver: the core's lyrics service with the online client over the process's
// one network session.
class ServiceLyricsResolver final : public LyricsResolving
{
public:
    ServiceLyricsResolver(const LyricsCache &cache, const QUrl &endpoint);

    QFuture<std::optional<ResolvedLyrics>> resolve(const Track &track) override { return m_service.resolve(track); }
    void setOnlineEnabled(bool enabled) override { m_service.setOnlineEnabled(enabled); }
    void setEndpoint(const QUrl &endpoint) override;

private:
    QNetworkAccessManager m_session;
    LyricsService m_service;
};
