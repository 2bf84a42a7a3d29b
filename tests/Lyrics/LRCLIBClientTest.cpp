#include "Lyrics/LRCLIBClient.h"

#include "Await.h"
#include "LocalHttpServer.h"

#include <QStringEncoder>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <limits>

namespace {

using Result = LyricsFetching::Result;
using namespace std::chrono_literals;

// What the settings accept is tried where they are set (blank, other schemes, no host); here the
// forms of a web address.
TEST(LRCLIBClientEndpoint, AcceptsOnlyWebAddressesWithAHostAndDefaultsToThePublicService)
{
    const std::pair<const char *, const char *> cases[] = { { "lrclib.example/api/get", nullptr },
        { "http://", nullptr }, { "HTTPS://lyrics.example/api/get", "https://lyrics.example/api/get" },
        { "  http://127.0.0.1:8080/x?key=1 \n", "http://127.0.0.1:8080/x?key=1" },
        { "https://lyrics.example", "https://lyrics.example" } };
    for (const auto &[given, accepted] : cases)
        EXPECT_EQ(LRCLIBClient::endpointURL(QString::fromUtf8(given)),
            accepted ? std::optional(QUrl(QString::fromUtf8(accepted))) : std::nullopt)
            << given;
    EXPECT_EQ(LRCLIBClient::resolvedEndpoint(std::nullopt), QUrl(u"https://lrclib.net/api/get"_qs));
    EXPECT_EQ(LRCLIBClient(std::nullopt, nullptr).endpoint(), LRCLIBClient::defaultEndpoint());
}

class LRCLIBClientTest : public ::testing::Test
{
protected:
    Result fetchFrom(const QUrl &endpoint, const QString &title = u"Song"_qs,
        const QString &artist = u"Artist"_qs, double duration = 200, LRCLIBClient::Limits limits = {})
    {
        return await(LRCLIBClient(endpoint, &m_session, limits).fetch(title, artist, duration));
    }

    // A request to the local server with tighter limits.
    Result fetchWith(LRCLIBClient::Limits limits)
    {
        return fetchFrom(m_server.url(), u"T"_qs, u"A"_qs, 1, limits);
    }

    QNetworkAccessManager m_session;
    LocalHttpServer m_server;
};

TEST_F(LRCLIBClientTest, SendsTheQueryPercentEncodedWithTheAgentHeader)
{
    m_server.answer(404, {});
    EXPECT_EQ(fetchFrom(m_server.url(), u"C++ & Me?"_qs, u"周杰伦/A+B"_qs, 212.5), Result(std::nullopt));
    ASSERT_EQ(m_server.requests().size(), 1);
    const QList<QByteArray> head = m_server.requests()[0].trimmed().split('\n');
    EXPECT_EQ(head[0],
        "GET /api/get?track_name=C%2B%2B%20%26%20Me%3F"
        "&artist_name=%E5%91%A8%E6%9D%B0%E4%BC%A6%2FA%2BB&duration=213 HTTP/1.1\r");
    EXPECT_TRUE(head.contains("User-Agent: Quillmere/0.1\r"));
}

TEST_F(LRCLIBClientTest, EndpointQueryStaysInFrontAndAnEndpointWithoutPathIsUsedAsItIs)
{
    m_server.answer(404, {});
    fetchFrom(m_server.url(u"/lyrics?key=a%2Bb&v=2"_qs), u"T"_qs, u"A"_qs, 212.49);
    fetchFrom(m_server.url(QString()), u"T"_qs, QString(), 0);
    ASSERT_EQ(m_server.requests().size(), 2);
    EXPECT_TRUE(m_server.requests()[0].startsWith(
        "GET /lyrics?key=a%2Bb&v=2&track_name=T&artist_name=A&duration=212 HTTP/1.1\r"));
    EXPECT_TRUE(m_server.requests()[1].startsWith("GET /?track_name=T&artist_name=&duration=0 HTTP/1.1\r"));
    // A duration that describes no track sends nothing.
    EXPECT_EQ(fetchFrom(m_server.url(), u"T"_qs, u"A"_qs, std::numeric_limits<double>::quiet_NaN()),
        Result(std::unexpected(LyricsFetchError::invalidURL())));
    EXPECT_EQ(m_server.requests().size(), 2);
}

Result lyrics(QList<LyricLine> lines, bool synced)
{
    return Lyrics { std::move(lines), synced };
}

const QByteArray json = "application/json";
const QByteArray plainText = "text/plain; charset=utf-8";

TEST_F(LRCLIBClientTest, GivesWhatTheAnswerHolds)
{
    const Result none = std::nullopt;
    const struct
    {
        const char *name;
        int status;
        QByteArray body;
        QByteArray contentType;
        Result expected;
    } cases[] = { { "NotFound", 404, R"({"message":"not found"})", json, none },
        { "ServerError", 500, "oops", plainText, std::unexpected(LyricsFetchError::badStatus(500)) },
        { "NoContent", 204, {}, {}, none },
        { "NullMembers", 200, R"({"syncedLyrics":null,"plainLyrics":null})", json, none },
        { "Synced", 200, R"({"syncedLyrics":"[00:02.00]b\n[00:01.00]a","plainLyrics":"a\nb"})", json,
            lyrics({ { 1, "a" }, { 2, "b" } }, true) },
        { "SyncedOnlyMetadata", 200, R"({"syncedLyrics":"[ti:x]","plainLyrics":"text"})", json, none },
        { "SyncedWithoutTags", 200, R"({"syncedLyrics":"no tags"})", json,
            lyrics({ { 0, "no tags" } }, false) },
        { "BlankSyncedFallsToPlain", 200, R"({"syncedLyrics":"  ","plainLyrics":" a\n b "})", json,
            lyrics({ { 0, "a" }, { 0, "b" } }, false) },
        { "PlainWithTagsLosesItsTimes", 200, R"({"plainLyrics":"[00:05.00]b\n[00:01.00]a"})", json,
            lyrics({ { 0, "a" }, { 0, "b" } }, false) },
        { "JsonAfterByteOrderMark", 200, "\xEF\xBB\xBF{\"plainLyrics\":\"a\"}", json,
            lyrics({ { 0, "a" } }, false) },
        { "MemberOfAnotherType", 200, R"({"syncedLyrics":5,"plainLyrics":"text"})", json, none },
        { "Array", 200, R"([{"syncedLyrics":"[00:01.00]a"}])", json, none },
        { "JsonFollowedByJunk", 200, R"({"plainLyrics":"a"} x)", json, none },
        { "BareJsonString", 200, R"("[00:01.00]a")", json, none },
        { "FullRecord", 200,
            R"({"id":7,"trackName":"晴天","duration":269.0,"instrumental":false,"plainLyrics":"a",)"
            R"("syncedLyrics":null,"tags":[{"x":[1e300,-0.5,"\ud83c\udfb5"]}]})",
            json, lyrics({ { 0, "a" } }, false) },
        { "EmptyObject", 200, "{}", json, none },
        { "LyricsAsArray", 200, R"({"plainLyrics":["a"]})", json, none },
        { "BrokenOtherMember", 200, R"({"plainLyrics":"a","id":tru})", json, none },
        { "CutShort", 200, R"({"plainLyrics":"a")", json, none },
        { "InvalidUtf8InJson", 200, "{\"plainLyrics\":\"\xC3\x28\"}", json, none },
        { "HugeArray", 200, '[' + QByteArray("{},").repeated(500'000) + "{}]", json, none },
        { "HugeMember", 200, R"({"plainLyrics":"a","x":[)" + QByteArray("0,").repeated(1'000'000) + "0]}",
            json, lyrics({ { 0, "a" } }, false) },
        { "DeeplyNested", 200, QByteArray("{\"a\":").repeated(100'000), json, none },
        { "LrcText", 200, "[00:01.00]a\n[00:02.00]b", plainText, lyrics({ { 1, "a" }, { 2, "b" } }, true) },
        { "PlainText", 200, "hello\nworld", plainText, lyrics({ { 0, "hello" }, { 0, "world" } }, false) },
        { "HtmlPage", 200, "<!DOCTYPE html><html><body>Sign in</body></html>", "text/html", none },
        { "HtmlPageAsText", 200, "\n<html><body>Proxy error</body></html>", plainText, none },
        { "NotUtf8", 200, QStringEncoder("GB18030").encode(u"[00:01.00]晴天"_qs), plainText, none } };
    for (const auto &c : cases) {
        m_server.answer(c.status, c.body, c.contentType);
        EXPECT_EQ(fetchFrom(m_server.url()), c.expected) << c.name;
    }
}

TEST_F(LRCLIBClientTest, ServersThatRefuseTrickleFallSilentOrSendTooMuchFail)
{
    const Result refused = fetchFrom([] { return LocalHttpServer().url(); }()); // its port is closed again
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().kind, LyricsFetchError::Kind::Transport);
    EXPECT_FALSE(refused.error().detail.isEmpty());
    const Result timedOut = std::unexpected(LyricsFetchError::timedOut());
    m_server.trickle();
    EXPECT_EQ(fetchWith(LRCLIBClient::Limits { .total = 300ms }), timedOut);
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_server.closedConnections() == 1; }, 5000)); // hung up on
    m_server.stayQuiet();
    EXPECT_EQ(fetchWith(LRCLIBClient::Limits { .idle = 300ms }), timedOut);
    // A body cut short by silence, or by a hang-up.
    m_server.sendPartially(R"({"syncedLyrics":"[00:01.00]a\n[00:02.00]b)", false);
    EXPECT_EQ(fetchWith(LRCLIBClient::Limits { .idle = 300ms }), timedOut);
    m_server.sendPartially(R"({"syncedLyrics":"[00:01.00]a\n[00:02.00]b)", true);
    const Result cut = fetchFrom(m_server.url());
    ASSERT_FALSE(cut.has_value());
    EXPECT_EQ(cut.error().kind, LyricsFetchError::Kind::Transport);
    m_server.answer(200, QByteArray(64 * 1024, 'a'), plainText);
    EXPECT_EQ(fetchWith(LRCLIBClient::Limits { .maximumBodySize = 1024 }),
        Result(std::unexpected(LyricsFetchError::tooLarge())));
}

TEST_F(LRCLIBClientTest, CancellingClosesTheConnection)
{
    m_server.stayQuiet();
    QFuture<Result> future = LRCLIBClient(m_server.url(), &m_session).fetch(u"T"_qs, u"A"_qs, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_server.requests().size() == 1; }, 5000));
    future.cancel();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_server.closedConnections() == 1; }, 5000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 5000));
    EXPECT_TRUE(future.isCanceled());
}

TEST_F(LRCLIBClientTest, FetchMayStartOnAWorkerThread)
{
    m_server.answer(200, R"({"plainLyrics":"hi"})");
    const LRCLIBClient client(m_server.url(), &m_session);
    QFuture<Result> future;
    std::atomic<bool> started = false;
    QThreadPool::globalInstance()->start([&] {
        future = client.fetch(u"T"_qs, u"A"_qs, 1);
        started = true;
    });
    ASSERT_TRUE(QTest::qWaitFor([&] { return started.load(); }, 5000));
    EXPECT_EQ(await(future), lyrics({ { 0, "hi" } }, false));
}

} // namespace
