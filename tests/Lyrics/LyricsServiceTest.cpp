#include "Lyrics/LyricsService.h"

#include "Await.h"

#include <QDir>
#include <QFile>
#include <QPromise>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <sys/stat.h>

namespace {

using Result = LyricsFetching::Result;

// Answers every request with a fixed result, or holds it open until cancelled, and counts them.
class CountingFetcher final : public LyricsFetching
{
public:
    explicit CountingFetcher(Result result)
        : m_result(std::move(result))
    {
    }

    QFuture<Result> fetch(const QString &title, const QString &artist, double duration) const override
    {
        lastRequest = { title, artist, QString::number(duration) };
        QFuture<Result> future = QtFuture::makeReadyFuture(m_result);
        if (holdOpen) {
            pending = std::make_shared<QPromise<Result>>();
            pending->start();
            future = pending->future();
        }
        ++calls; // last: the test reads the fields once it sees the count
        return future;
    }

    mutable std::atomic<int> calls = 0;
    mutable QStringList lastRequest;
    mutable std::shared_ptr<QPromise<Result>> pending;
    bool holdOpen = false;

private:
    Result m_result;
};

const Lyrics fetched { { { 1, u"from the web"_qs } }, true };
const Lyrics cached { { { 2, u"from the cache"_qs } }, true };
const Lyrics overridden { { { 0, u"by hand"_qs } }, false };

class LyricsServiceTest : public ::testing::Test
{
protected:
    LyricsServiceTest()
    {
        m_track.id = QUuid::createUuid();
        m_track.url = location("Song.mp3");
        m_track.title = u"Song"_qs;
        m_track.artist = u"Artist"_qs;
        m_track.duration = 180.2;
    }

    FileLocation location(const QByteArray &name) const
    {
        return FileLocation::fromLocalFile(m_root.path()).appending(name);
    }

    void writeFile(const QByteArray &name, const QByteArray &bytes) const
    {
        QFile file(QFile::decodeName(location(name).path()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    std::optional<ResolvedLyrics> resolve() { return await(m_service.resolve(m_track)); }

    QTemporaryDir m_root;
    LyricsCache m_cache { location("lyrics") };
    std::shared_ptr<CountingFetcher> m_fetcher = std::make_shared<CountingFetcher>(Result(fetched));
    LyricsService m_service { m_cache, m_fetcher };
    Track m_track;
};

TEST_F(LyricsServiceTest, OverrideComesFirst)
{
    ASSERT_TRUE(m_cache.saveOverride(overridden, m_track.id));
    writeFile("Song.lrc", "[00:01.00]sidecar");
    ASSERT_TRUE(m_cache.save(cached, m_track.title, m_track.artist, m_track.duration));
    EXPECT_EQ(resolve(), (ResolvedLyrics { overridden, LyricsOrigin::Override, std::nullopt }));
    EXPECT_EQ(m_fetcher->calls, 0);
}

TEST_F(LyricsServiceTest, EmptyOverrideFallsThroughToTheSidecar)
{
    ASSERT_TRUE(m_cache.saveOverride(Lyrics {}, m_track.id));
    writeFile("song.lrc", "[00:01.00]sidecar");
    ASSERT_TRUE(m_cache.save(cached, m_track.title, m_track.artist, m_track.duration));
    EXPECT_EQ(resolve(),
        (ResolvedLyrics {
            Lyrics { { { 1, u"sidecar"_qs } }, true }, LyricsOrigin::Sidecar, location("song.lrc") }));
}

TEST_F(LyricsServiceTest, SidecarWithoutTimeTagsCounts)
{
    writeFile("Song.lrc", "just words\n");
    EXPECT_EQ(resolve(),
        (ResolvedLyrics {
            Lyrics { { { 0, u"just words"_qs } }, false }, LyricsOrigin::Sidecar, location("Song.lrc") }));
}

TEST_F(LyricsServiceTest, Gb18030SidecarIsRead)
{
    writeFile("Song.lrc", QStringEncoder("GB18030").encode(u"[00:01.00]故事的小黄花"_qs));
    const std::optional<ResolvedLyrics> resolved = resolve();
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved->lyrics, (Lyrics { { { 1, u"故事的小黄花"_qs } }, true }));
}

TEST_F(LyricsServiceTest, UnreadableSidecarFallsToTheCacheWithoutTryingAnother)
{
    writeFile("Song.lrc", "[00:01.00]\x81 \x8D \x90");
    writeFile("Song (Live).lrc", "[00:01.00]other sidecar");
    ASSERT_TRUE(m_cache.save(cached, m_track.title, m_track.artist, m_track.duration));
    EXPECT_EQ(resolve(), (ResolvedLyrics { cached, LyricsOrigin::Online, std::nullopt }));
}

TEST_F(LyricsServiceTest, SidecarWithoutLinesFallsToTheCache)
{
    writeFile("Song.lrc", "[ti:Song]\n[ar:Artist]\n");
    ASSERT_TRUE(m_cache.save(cached, u" song "_qs, u"ARTIST"_qs, 180));
    EXPECT_EQ(resolve(), (ResolvedLyrics { cached, LyricsOrigin::Online, std::nullopt }));
    EXPECT_EQ(m_fetcher->calls, 0);
}

TEST_F(LyricsServiceTest, DisabledOnlineLookupMakesNoRequest)
{
    m_service.setOnlineEnabled(false);
    EXPECT_EQ(resolve(), std::nullopt);
    EXPECT_EQ(m_fetcher->calls, 0);
}

TEST_F(LyricsServiceTest, BlankTitleIsNeverFetchedButStillGetsItsOverride)
{
    m_track.title = u"   "_qs;
    EXPECT_EQ(resolve(), std::nullopt);
    EXPECT_EQ(m_fetcher->calls, 0);
    ASSERT_TRUE(m_cache.saveOverride(overridden, m_track.id));
    EXPECT_EQ(resolve(), (ResolvedLyrics { overridden, LyricsOrigin::Override, std::nullopt }));
}

TEST_F(LyricsServiceTest, FetchedLyricsAreCachedAndThenAnsweredFromTheCache)
{
    m_track.title = u" Song "_qs;
    EXPECT_EQ(resolve(), (ResolvedLyrics { fetched, LyricsOrigin::Online, std::nullopt }));
    EXPECT_EQ(m_fetcher->lastRequest, (QStringList { u" Song "_qs, u"Artist"_qs, u"180.2"_qs }));
    EXPECT_EQ(m_cache.load(u"song"_qs, u"artist"_qs, 180), fetched);
    EXPECT_EQ(resolve(), (ResolvedLyrics { fetched, LyricsOrigin::Online, std::nullopt }));
    EXPECT_EQ(m_fetcher->calls, 1);
}

TEST_F(LyricsServiceTest, FailedFetchLeavesTheCacheUntouched)
{
    m_service.setClient(
        std::make_shared<CountingFetcher>(Result(std::unexpected(LyricsFetchError::badStatus(500)))));
    EXPECT_EQ(resolve(), std::nullopt);
    EXPECT_FALSE(QDir(QFile::decodeName(location("lyrics").path())).exists());
}

TEST_F(LyricsServiceTest, FetchWithoutLinesIsNoneAndNotCached)
{
    m_service.setClient(std::make_shared<CountingFetcher>(Result(Lyrics { {}, true })));
    EXPECT_EQ(resolve(), std::nullopt);
    EXPECT_EQ(m_cache.load(m_track.title, m_track.artist, m_track.duration), std::nullopt);
}

TEST_F(LyricsServiceTest, CancellingAbandonsTheRequestInFlight)
{
    m_fetcher->holdOpen = true;
    QFuture<std::optional<ResolvedLyrics>> future = m_service.resolve(m_track);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_fetcher->calls == 1; }, 5000));
    future.cancel();
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_fetcher->pending->isCanceled(); }, 5000));
    m_fetcher->pending->finish();
    EXPECT_TRUE(QTest::qWaitFor([&] { return future.isFinished(); }, 5000));
    EXPECT_TRUE(future.isCanceled());
    EXPECT_EQ(m_cache.load(m_track.title, m_track.artist, m_track.duration), std::nullopt);
}

TEST_F(LyricsServiceTest, ReplacedClientServesOnlyLaterResolutions)
{
    m_fetcher->holdOpen = true;
    QFuture<std::optional<ResolvedLyrics>> first = m_service.resolve(m_track);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_fetcher->calls == 1; }, 5000));
    const auto replacement = std::make_shared<CountingFetcher>(Result(std::nullopt));
    m_service.setClient(replacement);
    m_fetcher->pending->addResult(Result(fetched));
    m_fetcher->pending->finish();
    EXPECT_EQ(await(first), (ResolvedLyrics { fetched, LyricsOrigin::Online, std::nullopt }));
    EXPECT_EQ(replacement->calls, 0);
}

struct TextCase
{
    const char *name;
    QByteArray bytes;
    std::optional<QString> text;
};

class ReadTextTest : public LyricsServiceTest, public ::testing::WithParamInterface<TextCase>
{
};

TEST_P(ReadTextTest, DecodesCleanlyOrNotAtAll)
{
    writeFile("file.lrc", GetParam().bytes);
    EXPECT_EQ(LyricsService::readText(location("file.lrc")), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Encodings, ReadTextTest,
    ::testing::Values(TextCase { "Utf8", "晴天", u"晴天"_qs },
        TextCase { "Utf8WithBom", "\xEF\xBB\xBF晴天", u"晴天"_qs },
        TextCase { "Utf16WithBom", QByteArray("\xFF\xFEn\0a", 6), u"na"_qs },
        TextCase { "Gb18030", QStringEncoder("GB18030").encode(u"晴天"_qs), u"晴天"_qs },
        TextCase { "Neither", "\x81 \x8D \x90", std::nullopt },
        TextCase { "Oversized", QByteArray(8 * 1024 * 1024 + 1, 'a'), std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LyricsServiceTest, ReadTextOfAFifoDoesNotBlock)
{
    ASSERT_EQ(::mkfifo(location("pipe.lrc").cPath(), 0600), 0);
    EXPECT_EQ(LyricsService::readText(location("pipe.lrc")), std::nullopt);
    EXPECT_EQ(LyricsService::readText(location("missing.lrc")), std::nullopt);
}

} // namespace
