#pragma once

#include "LyricsFetching.h"

#include <QNetworkAccessManager>
#include <QPointer>
#include <QUrl>

#include <chrono>
#include <optional>

// Asks a web service that speaks the LRCLIB interface for the lyrics of one track: one GET per
// call with the query keys "track_name", "artist_name" and "duration". Keeps no state between
// requests and never retries.
class LRCLIBClient final : public LyricsFetching
{
public:
    struct Limits
    {
        std::chrono::milliseconds idle { 10000 }; // the server sends nothing for this long
        std::chrono::milliseconds total { 30000 }; // the whole request, however slowly data trickles in
        qint64 maximumBodySize = 8 * 1024 * 1024;
    };

    // https://lrclib.net/api/get
    static const QUrl &defaultEndpoint();
    // The endpoint a user's text denotes: an http or https address with a host, kept as written;
    // none for any other text.
    static std::optional<QUrl> endpointURL(const std::optional<QString> &text);
    // endpointURL of the text, else the default endpoint.
    static QUrl resolvedEndpoint(const std::optional<QString> &text);

    // The session must outlive the client; requests run on the session's thread.
    LRCLIBClient(const std::optional<QUrl> &endpoint, QNetworkAccessManager *session);
    LRCLIBClient(const std::optional<QUrl> &endpoint, QNetworkAccessManager *session, Limits limits);

    const QUrl &endpoint() const { return m_endpoint; }

    // 404 is none; another status outside 200 to 299 is BadStatus. A JSON object answer gives its
    // "syncedLyrics", else its "plainLyrics" (unsynchronised); a non-JSON answer is read as LRC
    // text, except an HTML page. A JSON value of any other shape gives none.
    QFuture<Result> fetch(const QString &title, const QString &artist, double duration) const override;

private:
    QUrl m_endpoint;
    QPointer<QNetworkAccessManager> m_session;
    Limits m_limits;
};
