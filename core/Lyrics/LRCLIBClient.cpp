#include "LRCLIBClient.h"

#include "LRCLIBAnswer.h"
#include "LRCParser.h"
#include "LyricsDuration.h"

#include <QFutureWatcher>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPromise>
#include <QStringDecoder>
#include <QThreadPool>
#include <QTimer>

#include <memory>

namespace {

using Result = LyricsFetching::Result;
using Exchange = std::shared_ptr<QPromise<Result>>;

const QByteArray userAgent = QByteArrayLiteral("Quillmere/0.1");

// The address of one request: the endpoint's own query as written, then the three keys with
// every byte outside the unreserved set percent-encoded ("+" would read as a space).
std::optional<QUrl> requestURL(
    const QUrl &endpoint, const QString &title, const QString &artist, double duration)
{
    const std::optional<qint64> seconds = LyricsDuration::roundedSeconds(duration);
    if (!seconds || !endpoint.isValid())
        return std::nullopt;
    QByteArray query = endpoint.query(QUrl::FullyEncoded).toLatin1();
    if (!query.isEmpty())
        query += '&';
    query += "track_name=" + QUrl::toPercentEncoding(title)
        + "&artist_name=" + QUrl::toPercentEncoding(artist) + "&duration=" + QByteArray::number(*seconds);
    QUrl url = endpoint;
    url.setQuery(QString::fromLatin1(query), QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    return url;
}

// An object whose end is followed by junk is a broken answer, not lyrics text.
bool startsAsJsonObject(const QByteArray &body)
{
    const QByteArray start = body.startsWith("\xEF\xBB\xBF") ? body.sliced(3) : body;
    return start.trimmed().startsWith('{');
}

// Captive portals and proxies answer with a page instead of lyrics.
bool isMarkup(const QByteArray &body, const QByteArray &contentType)
{
    const QByteArray type = contentType.toLower();
    if (type.contains("html") || type.contains("xml"))
        return true;
    const QByteArray start = body.left(64).trimmed().toLower();
    return start.startsWith("<!doctype") || start.startsWith("<html") || start.startsWith("<?xml")
        || start.startsWith("<head") || start.startsWith("<body");
}

std::optional<Lyrics> withLines(Lyrics lyrics)
{
    if (lyrics.lines.isEmpty())
        return std::nullopt;
    return lyrics;
}

std::optional<Lyrics> lyricsFromPayload(const LRCLIBAnswer &payload)
{
    const std::optional<QString> &synced = payload.syncedLyrics;
    const std::optional<QString> &plain = payload.plainLyrics;
    if (synced && !synced->trimmed().isEmpty())
        return withLines(LRCParser::parse(synced->trimmed()));
    if (!plain || plain->trimmed().isEmpty())
        return std::nullopt;
    Lyrics lyrics = LRCParser::parse(plain->trimmed());
    for (LyricLine &line : lyrics.lines)
        line.time = 0;
    lyrics.isSynced = false;
    return withLines(std::move(lyrics));
}

Result interpretAnswer(int status, const QByteArray &body, const QByteArray &contentType)
{
    if (status == 404)
        return std::nullopt;
    if (status < 200 || status > 299)
        return std::unexpected(LyricsFetchError::badStatus(status));
    const LRCLIBAnswer answer = LRCLIBAnswer::read(body);
    if (answer.kind == LRCLIBAnswer::Kind::Payload)
        return lyricsFromPayload(answer);
    if (answer.kind == LRCLIBAnswer::Kind::Unusable)
        return std::nullopt;
    if (startsAsJsonObject(body) || isMarkup(body, contentType))
        return std::nullopt;
    // Endpoints that answer with LRC or plain text instead of JSON.
    QStringDecoder decoder(QStringConverter::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(body);
    if (decoder.hasError())
        return std::nullopt;
    return withLines(LRCParser::parse(text));
}

// Qt's errors for an answer whose HTTP status is 4xx or 5xx.
bool reportsStatusOnly(QNetworkReply::NetworkError error)
{
    return (error >= QNetworkReply::ContentAccessDenied && error <= QNetworkReply::UnknownContentError)
        || (error >= QNetworkReply::InternalServerError && error <= QNetworkReply::UnknownServerError);
}

// Sends the request on the session's thread and fulfils the exchange when the answer is in.
void send(QNetworkAccessManager &session, const QNetworkRequest &request, LRCLIBClient::Limits limits,
    const Exchange &exchange)
{
    if (exchange->isCanceled()) {
        exchange->finish();
        return;
    }
    QNetworkReply *reply = session.get(request);
    // Why we ended the request ourselves, if we did.
    auto abortReason = std::make_shared<std::optional<LyricsFetchError>>();
    auto abortWith = [reply, abortReason](LyricsFetchError reason) {
        if (!*abortReason)
            *abortReason = reason;
        reply->abort();
    };

    auto *watcher = new QFutureWatcher<Result>(reply);
    QObject::connect(watcher, &QFutureWatcherBase::canceled, reply, &QNetworkReply::abort);
    watcher->setFuture(exchange->future());
    QTimer::singleShot(limits.total, reply, [abortWith] { abortWith(LyricsFetchError::timedOut()); });
    QObject::connect(
        reply, &QNetworkReply::downloadProgress, reply, [abortWith, limits](qint64 received, qint64 total) {
            if (received > limits.maximumBodySize || total > limits.maximumBodySize)
                abortWith(LyricsFetchError::tooLarge());
        });

    QObject::connect(reply, &QNetworkReply::finished, reply, [reply, abortReason, exchange, limits] {
        reply->deleteLater();
        if (exchange->isCanceled()) // the caller has gone; nobody reads a result
            return exchange->finish();
        const auto fail = [&exchange](LyricsFetchError error) {
            exchange->addResult(Result(std::unexpected(error)));
            exchange->finish();
        };
        if (*abortReason)
            return fail(**abortReason);
        // A body cut short must never be read as lyrics: only errors that merely report the
        // HTTP status let the answer through.
        const QNetworkReply::NetworkError error = reply->error();
        if (error == QNetworkReply::OperationCanceledError) // the idle time-out
            return fail(LyricsFetchError::timedOut());
        if (error != QNetworkReply::NoError && !reportsStatusOnly(error))
            return fail(LyricsFetchError::transport(reply->errorString()));
        const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (!status.isValid())
            return fail(LyricsFetchError::badStatus(-1));
        const QByteArray body = reply->readAll();
        if (body.size() > limits.maximumBodySize)
            return fail(LyricsFetchError::tooLarge());
        const QByteArray contentType = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
        // Parsing a large answer stays off the session's thread.
        QThreadPool::globalInstance()->start([exchange, code = status.toInt(), body, contentType] {
            exchange->addResult(interpretAnswer(code, body, contentType));
            exchange->finish();
        });
    });
}

} // namespace

const QUrl &LRCLIBClient::defaultEndpoint()
{
    static const QUrl endpoint(QStringLiteral("https://lrclib.net/api/get"));
    return endpoint;
}

std::optional<QUrl> LRCLIBClient::endpointURL(const std::optional<QString> &text)
{
    if (!text)
        return std::nullopt;
    const QString trimmed = text->trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    const QUrl url(trimmed, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    const QString scheme = url.scheme().toLower();
    if (scheme != QLatin1String("http") && scheme != QLatin1String("https"))
        return std::nullopt;
    if (url.host().isEmpty())
        return std::nullopt;
    return url;
}

QUrl LRCLIBClient::resolvedEndpoint(const std::optional<QString> &text)
{
    return endpointURL(text).value_or(defaultEndpoint());
}

LRCLIBClient::LRCLIBClient(const std::optional<QUrl> &endpoint, QNetworkAccessManager *session)
    : LRCLIBClient(endpoint, session, Limits())
{
}

LRCLIBClient::LRCLIBClient(const std::optional<QUrl> &endpoint, QNetworkAccessManager *session, Limits limits)
    : m_endpoint(endpoint.value_or(defaultEndpoint()))
    , m_session(session)
    , m_limits(limits)
{
}

QFuture<LyricsFetching::Result> LRCLIBClient::fetch(
    const QString &title, const QString &artist, double duration) const
{
    const std::optional<QUrl> url = requestURL(m_endpoint, title, artist, duration);
    if (!url)
        return QtFuture::makeReadyFuture(Result(std::unexpected(LyricsFetchError::invalidURL())));
    QNetworkAccessManager *session = m_session.data();
    if (!session)
        return QtFuture::makeReadyFuture(
            Result(std::unexpected(LyricsFetchError::transport(QStringLiteral("no network session")))));

    QNetworkRequest request(*url);
    request.setTransferTimeout(int(m_limits.idle.count()));
    request.setRawHeader("User-Agent", userAgent);

    auto exchange = std::make_shared<QPromise<Result>>();
    exchange->start();
    QFuture<Result> future = exchange->future();
    // A session that is gone before the call runs drops the exchange, which cancels the future.
    QMetaObject::invokeMethod(session,
        [session, request, limits = m_limits, exchange] { send(*session, request, limits, exchange); });
    return future;
}
