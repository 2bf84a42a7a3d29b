// Lyrics from their text to the screen: parsing LRC, finding a sidecar file, resolving a track's
// lyrics from its override, sidecar, cache or the web, and what the view shows meanwhile.
#include "Lyrics/LRCParser.h"
#include "Lyrics/LyricsDisplayState.h"
#include "Lyrics/LyricsFont.h"
#include "Lyrics/LyricsService.h"
#include "Lyrics/LyricsSidecar.h"

#include "Await.h"

#include <QDir>
#include <QFile>
#include <QPromise>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

struct ParseCase
{
    const char *name;
    const char16_t *text;
    Lyrics expected;
};

Lyrics synced(QList<LyricLine> lines)
{
    return Lyrics { std::move(lines), true };
}

Lyrics plain(const QStringList &texts)
{
    Lyrics lyrics;
    for (const QString &text : texts)
        lyrics.lines.append(LyricLine { 0, text });
    return lyrics;
}

class LRCParserTest : public ::testing::TestWithParam<ParseCase>
{
};

TEST_P(LRCParserTest, GivesTheLinesAListenerExpects)
{
    const Lyrics lyrics = LRCParser::parse(GetParam().text);
    EXPECT_EQ(lyrics.isSynced, GetParam().expected.isSynced);
    ASSERT_EQ(lyrics.lines.size(), GetParam().expected.lines.size());
    for (qsizetype i = 0; i < lyrics.lines.size(); ++i) {
        EXPECT_DOUBLE_EQ(lyrics.lines[i].time, GetParam().expected.lines[i].time) << "line " << i;
        EXPECT_EQ(lyrics.lines[i].text, GetParam().expected.lines[i].text) << "line " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, LRCParserTest,
    ::testing::Values(ParseCase { "Empty", u"", Lyrics {} },
        ParseCase { "CentisecondTag", u"[00:12.34]Hello", synced({ { 12.34, u"Hello"_qs } }) },
        ParseCase { "ColonBeforeFraction", u"[01:02:5]x", synced({ { 62.5, u"x"_qs } }) },
        ParseCase { "ShortMinutes", u"[1:02]x", synced({ { 62, u"x"_qs } }) },
        ParseCase { "FractionDigitsCount", u"[00:01.5]a\n[00:02.50]b\n[00:03.500]c\n[00:04.05]d",
            synced({ { 1.5, u"a"_qs }, { 2.5, u"b"_qs }, { 3.5, u"c"_qs }, { 4.05, u"d"_qs } }) },
        ParseCase { "NoRangeCheck", u"[00:75]a\n[999:00]b", synced({ { 75, u"a"_qs }, { 59940, u"b"_qs } }) },
        ParseCase { "SeveralTagsOnOneLine", u"[00:05.00][00:01.00] Hi",
            synced({ { 1, u"Hi"_qs }, { 5, u"Hi"_qs } }) },
        ParseCase { "LaterTagsAreWordTimings", u"A [00:01.00] B [00:02.00] C",
            synced({ { 1, u"B C"_qs } }) },
        ParseCase { "InlineTimeTags", u"[00:12.00]Line [00:12.50]one [00:13.00]here",
            synced({ { 12, u"Line one here"_qs } }) },
        ParseCase { "EnhancedWordTimings", u"[00:12.00]<00:12.00>Line <00:12.50>one",
            synced({ { 12, u"Line one"_qs } }) },
        ParseCase { "CommaBeforeFraction", u"[00:06,50]a", synced({ { 6.5, u"a"_qs } }) },
        ParseCase { "UnknownTagsAlone", u"[#:abc]\n[x-trans:1]\nHello", plain({ u"Hello"_qs }) },
        ParseCase { "TagAlone", u"[00:10.00]", synced({ { 10, QString() } }) },
        // A positive offset shows the lines sooner, a negative one later.
        ParseCase { "PositiveOffset", u"[offset:+500]\n[00:01.00]a\n[00:03.00]b",
            synced({ { 0.5, u"a"_qs }, { 2.5, u"b"_qs } }) },
        ParseCase { "NegativeOffset", u"[OFFSET: -250 ]\n[00:01.00]a", synced({ { 1.25, u"a"_qs } }) },
        ParseCase { "LastOffsetCountsEverywhere", u"[offset:100]\n[00:01.00]a\n[00:02.00]b\n[offset:1000]",
            synced({ { 0, u"a"_qs }, { 1, u"b"_qs } }) },
        ParseCase {
            "OffsetMayMakeTimesNegative", u"[offset:2000]\n[00:01.00]a", synced({ { -1, u"a"_qs } }) },
        ParseCase { "OffsetLineGivesNoLine", u"[00:01.00]a\n[00:03.00]Hi [offset:100]",
            synced({ { 0.9, u"a"_qs } }) },
        ParseCase { "UntimedLinesLeftOut", u"Song Title\n\nBy Someone\n[00:01.00]a\nCredits",
            synced({ { 1, u"a"_qs } }) },
        ParseCase { "PlainTextWithoutMetadata", u"[ar:Someone]\n[ti:Title]\n\n  Hello\u3000\n\tWorld",
            plain({ u"Hello"_qs, u"World"_qs }) },
        ParseCase { "EqualTimesKeepTextOrder", u"[00:01.00]b\n[00:01.00]a",
            synced({ { 1, u"b"_qs }, { 1, u"a"_qs } }) },
        ParseCase { "SortedByTime", u"[00:09.00]c\n[00:01.00]a\n[00:05.00]b",
            synced({ { 1, u"a"_qs }, { 5, u"b"_qs }, { 9, u"c"_qs } }) },
        ParseCase {
            "LineFeeds", u"[00:01.00]a\n[00:02.00]b\n\nplain", synced({ { 1, u"a"_qs }, { 2, u"b"_qs } }) },
        ParseCase { "CarriageReturns", u"[00:01.00]a\r[00:02.00]b\r\rplain",
            synced({ { 1, u"a"_qs }, { 2, u"b"_qs } }) },
        ParseCase {
            "CrLf", u"[00:01.00]a\r\n[00:02.00]b\r\n\r\nplain", synced({ { 1, u"a"_qs }, { 2, u"b"_qs } }) },
        // Full-width digits match the pattern but give no time; such a line is not plain either.
        ParseCase { "FullWidthTagBesideARealOne", u"[００:０１.００]lost\n[00:02.00]kept",
            synced({ { 2, u"kept"_qs } }) },
        ParseCase { "OnlyFullWidthTags", u"[００:０１]lost\nplain", plain({ u"plain"_qs }) }),
    [](const auto &info) { return std::string(info.param.name); });

struct PlainCase
{
    const char *name;
    const char16_t *text;
    QStringList expected;
};

class LRCParserPlainText : public ::testing::TestWithParam<PlainCase>
{
};

TEST_P(LRCParserPlainText, DropsEveryTag)
{
    EXPECT_EQ(LRCParser::parsePlainText(GetParam().text), plain(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(Texts, LRCParserPlainText,
    ::testing::Values(PlainCase { "Empty", u"", {} },
        PlainCase { "TagsRemoved", u"[00:01.00]Hello [offset:100]", { u"Hello"_qs } },
        PlainCase { "MetadataLine", u"[ti:Song]", {} },
        PlainCase { "WordTimingsRemoved", u"<00:12.00>Line <00:12.50>one", { u"Line one"_qs } },
        PlainCase { "TextOrder", u"b\r\n\r\na", { u"b"_qs, u"a"_qs } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(LRCParser, VeryLongLineIsParsed)
{
    const QString words(200000, u'a');
    const Lyrics lyrics = LRCParser::parse(QStringLiteral("[00:01.00]") + words);
    ASSERT_EQ(lyrics.lines.size(), 1);
    EXPECT_EQ(lyrics.lines[0].text.size(), words.size());
}

TEST(LyricsIndex, FindsTheLastLineStartedAtATimeAndNoneForUnsyncedLyrics)
{
    const Lyrics lyrics = synced({ { 0, u"a"_qs }, { 5, u"b"_qs }, { 10, u"c"_qs } });
    EXPECT_EQ(lyrics.index(-1), std::nullopt);
    EXPECT_EQ(lyrics.index(0), 0);
    EXPECT_EQ(lyrics.index(4.99), 0);
    EXPECT_EQ(lyrics.index(5), 1);
    EXPECT_EQ(lyrics.index(100), 2);
    EXPECT_EQ(lyrics.index(std::nan("")), std::nullopt);
    EXPECT_EQ(synced({ { 5, u"a"_qs }, { 5, u"b"_qs }, { 7, u"c"_qs } }).index(5), 1);
    EXPECT_EQ(plain({ u"a"_qs }).index(3), std::nullopt);
    EXPECT_EQ(synced({}).index(3), std::nullopt);
}


// Sidecar files -------------------------------------------------------------------------------

class LyricsSidecarTest : public ::testing::Test
{
protected:
    FileLocation location(const QByteArray &name) const
    {
        return FileLocation::fromLocalFile(m_root.path()).appending(name);
    }

    void touch(const QByteArray &name) const
    {
        // Raw bytes: names need not be UTF-8.
        const int fd = ::open(location(name).cPath(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }

    std::optional<QByteArray> findFor(const QByteArray &audioName) const
    {
        Track track;
        track.url = location(audioName);
        const std::optional<FileLocation> found = LyricsSidecar::find(track);
        if (!found)
            return std::nullopt;
        EXPECT_EQ(found->deletingLastPathComponent(), location(audioName).deletingLastPathComponent());
        return found->fileName();
    }

    QTemporaryDir m_root;
};

struct MatchCase
{
    const char *audio;
    QList<const char *> files;
    const char *expected; // nullptr: no sidecar
};

class LyricsSidecarMatch : public LyricsSidecarTest, public ::testing::WithParamInterface<MatchCase>
{
};

TEST_P(LyricsSidecarMatch, ChoosesTheFileAListenerExpects)
{
    for (const char *name : GetParam().files)
        touch(name);
    const std::optional<QByteArray> found = findFor(GetParam().audio);
    if (GetParam().expected)
        EXPECT_EQ(found, QByteArray(GetParam().expected));
    else
        EXPECT_EQ(found, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Names, LyricsSidecarMatch,
    ::testing::Values(MatchCase { "Song.mp3", { "song.LRC", "Song.lrc" }, "Song.lrc" },
        MatchCase { "Song (Live).flac", { "Song.lrc" }, "Song.lrc" },
        MatchCase { "Song.flac", { "Song [Live].lrc" }, "Song [Live].lrc" },
        MatchCase { "Song.flac", { "Song (Live】.lrc" }, "Song (Live】.lrc" },
        MatchCase { "A.mp3", { "A (1).lrc", "A.lrc" }, "A.lrc" },
        MatchCase { "A.mp3", { "A [y].lrc", "A (x).lrc" }, "A (x).lrc" },
        MatchCase { "[01].mp3", { "01.lrc" }, nullptr }, MatchCase { "[01].mp3", { "[01].lrc" }, "[01].lrc" },
        MatchCase { "My Song.mp3", { "mysong.lrc" }, "mysong.lrc" },
        MatchCase { "My Song.mp3", { "MY  SONG.lrc" }, "MY  SONG.lrc" },
        MatchCase { "My Song.mp3", { "My-Song.lrc" }, nullptr },
        MatchCase { "Café.mp3", { "Cafe.lrc" }, nullptr },
        MatchCase { "Café.mp3", { "CAFÉ.lrc" }, "CAFÉ.lrc" },
        MatchCase { "Café.mp3", { "Cafe\xCC\x81.lrc" }, "Cafe\xCC\x81.lrc" }, // decomposed é
        MatchCase { "song.mp3", { "ＳＯＮＧ.lrc" }, "ＳＯＮＧ.lrc" }, // full-width letters
        MatchCase { "晴天.mp3", { "晴天　.lrc" }, "晴天　.lrc" }, // ideographic space
        MatchCase { "晴天（现场）.mp3", { "晴天.lrc" }, "晴天.lrc" },
        MatchCase { "Song.mp3", { "Other.lrc", "Song.txt" }, nullptr },
        MatchCase { "Song.mp3", { ".Song.lrc" }, nullptr }));

TEST_F(LyricsSidecarTest, OnlyFilesBesideTheAudioCountFollowingLinks)
{
    ASSERT_TRUE(QDir(m_root.path()).mkpath(u"sub"_qs));
    touch("sub/A.lrc");
    EXPECT_EQ(findFor("A.mp3"), std::nullopt); // sub-folders are not searched
    ASSERT_TRUE(QDir(m_root.path()).mkpath(u"B.lrc"_qs));
    touch("b.lrc");
    EXPECT_EQ(findFor("B.mp3"), QByteArray("b.lrc")); // a folder named like a sidecar never wins
    ASSERT_EQ(::mkfifo(location("C.lrc").cPath(), 0600), 0);
    touch("c.lrc");
    EXPECT_EQ(findFor("C.mp3"), QByteArray("c.lrc")); // nor does a FIFO, and nothing blocks
    touch("target.txt");
    ASSERT_EQ(::symlink("target.txt", location("D.lrc").cPath()), 0);
    EXPECT_EQ(findFor("D.mp3"), QByteArray("D.lrc"));
    ASSERT_EQ(::symlink("nowhere", location("E.lrc").cPath()), 0);
    EXPECT_EQ(findFor("E.mp3"), std::nullopt);
    EXPECT_EQ(findFor("missing/Song.mp3"), std::nullopt);
    touch("file");
    EXPECT_EQ(findFor("file/Song.mp3"), std::nullopt);
}

TEST_F(LyricsSidecarTest, NamesInGb18030Match)
{
    QStringEncoder encoder("GB18030");
    const QByteArray audio = encoder.encode(u"晴天.mp3"_qs);
    const QByteArray sidecar = encoder.encode(u"晴天.LRC"_qs);
    touch(sidecar);
    touch(encoder.encode(u"雨天.lrc"_qs));
    EXPECT_EQ(findFor(audio), sidecar);
}


// Resolving -----------------------------------------------------------------------------------

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

TEST_F(LyricsServiceTest, SidecarIsReadInAnyEncodingWithOrWithoutTimeTags)
{
    writeFile("Song.lrc", "just words\n");
    EXPECT_EQ(resolve(),
        (ResolvedLyrics {
            Lyrics { { { 0, u"just words"_qs } }, false }, LyricsOrigin::Sidecar, location("Song.lrc") }));

    writeFile("Song.lrc", QStringEncoder("GB18030").encode(u"[00:01.00]故事的小黄花"_qs));
    const std::optional<ResolvedLyrics> resolved = resolve();
    ASSERT_TRUE(resolved);
    EXPECT_EQ(resolved->lyrics, (Lyrics { { { 1, u"故事的小黄花"_qs } }, true }));
}

TEST_F(LyricsServiceTest, SidecarThatCannotBeReadOrHasNoLinesFallsToTheCacheWithoutTryingAnother)
{
    writeFile("Song.lrc", "[00:01.00]\x81 \x8D \x90");
    writeFile("Song (Live).lrc", "[00:01.00]other sidecar");
    ASSERT_TRUE(m_cache.save(cached, m_track.title, m_track.artist, m_track.duration));
    EXPECT_EQ(resolve(), (ResolvedLyrics { cached, LyricsOrigin::Online, std::nullopt }));

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

TEST_F(LyricsServiceTest, FailedFetchOrOneWithoutLinesIsNoneAndNotCached)
{
    m_service.setClient(
        std::make_shared<CountingFetcher>(Result(std::unexpected(LyricsFetchError::badStatus(500)))));
    EXPECT_EQ(resolve(), std::nullopt);
    EXPECT_FALSE(QDir(QFile::decodeName(location("lyrics").path())).exists());

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

class LyricsServiceReadText : public LyricsServiceTest, public ::testing::WithParamInterface<TextCase>
{
};

TEST_P(LyricsServiceReadText, DecodesCleanlyOrNotAtAll)
{
    writeFile("file.lrc", GetParam().bytes);
    EXPECT_EQ(LyricsService::readText(location("file.lrc")), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(Encodings, LyricsServiceReadText,
    ::testing::Values(TextCase { "Utf8", "晴天", u"晴天"_qs },
        TextCase { "Utf8WithBom", "\xEF\xBB\xBF晴天", u"晴天"_qs },
        TextCase { "Utf16WithBom", QByteArray("\xFF\xFEn\0a", 6), u"na"_qs },
        TextCase { "Gb18030", QStringEncoder("GB18030").encode(u"晴天"_qs), u"晴天"_qs },
        TextCase { "Neither", "\x81 \x8D \x90", std::nullopt }),
    [](const auto &info) { return std::string(info.param.name); });

// The view ------------------------------------------------------------------------------------

// What the lyrics view shows while a track's lyrics load, and which results it takes.
TEST(LyricsDisplayStateTest, ShowsOnlyTheLyricsOfTheTrackBeingLoaded)
{
    const ResolvedLyrics resolved { Lyrics { { { 1, u"a"_qs } }, true }, LyricsOrigin::Sidecar, std::nullopt };
    const QUuid first = QUuid::createUuid();
    const QUuid second = QUuid::createUuid();
    LyricsDisplayState state;
    EXPECT_EQ(state, (LyricsDisplayState { std::nullopt, std::nullopt, LyricsOrigin::None, false }));
    state.finish(resolved, first); // nothing is loading
    EXPECT_EQ(state, LyricsDisplayState());

    EXPECT_FALSE(state.beginLoading(first));
    EXPECT_EQ(state, (LyricsDisplayState { first, std::nullopt, LyricsOrigin::None, true }));
    state.apply(resolved, first);
    EXPECT_FALSE(state.beginLoading(first)); // a retry keeps the lyrics shown
    EXPECT_EQ(state, (LyricsDisplayState { first, resolved.lyrics, LyricsOrigin::Sidecar, true }));
    state.apply(std::nullopt, first);
    EXPECT_EQ(state, (LyricsDisplayState { first, std::nullopt, LyricsOrigin::None, false }));

    state.apply(resolved, first);
    EXPECT_TRUE(state.beginLoading(second)); // another track clears them
    EXPECT_EQ(state, (LyricsDisplayState { second, std::nullopt, LyricsOrigin::None, true }));
    const LyricsDisplayState loading = state;
    state.finish(resolved, first); // a late result for the track before
    EXPECT_EQ(state, loading);
    state.finish(resolved, second);
    EXPECT_EQ(state, (LyricsDisplayState { second, resolved.lyrics, LyricsOrigin::Sidecar, false }));

    EXPECT_TRUE(state.beginLoading(std::nullopt));
    EXPECT_EQ(state, LyricsDisplayState());
    EXPECT_FALSE(state.beginLoading(std::nullopt));
    EXPECT_FALSE(state.beginLoading(first)); // nothing was shown to clear
}

TEST(LyricsDisplayStateTest, OriginsAreStoredByTheirNamesAndFontSizeFollowsTheWidth)
{
    for (const LyricsOrigin origin : { LyricsOrigin::Override, LyricsOrigin::Sidecar, LyricsOrigin::Online, LyricsOrigin::None })
        EXPECT_EQ(lyricsOriginFromName(lyricsOriginName(origin)), origin);
    EXPECT_EQ(lyricsOriginName(LyricsOrigin::Override), u"override"_qs);
    EXPECT_EQ(lyricsOriginFromName(u"Online"), std::nullopt);
    EXPECT_EQ(lyricsOriginFromName(u"cache"), std::nullopt);

    constexpr double infinity = std::numeric_limits<double>::infinity();
    const std::pair<double, double> sizes[] = { { 0, 18 }, { 320, 18 }, { -infinity, 18 }, { 900, 36 }, { 1200, 36 },
        { infinity, 36 }, { 610, 27 }, { 465, 22.5 }, { std::numeric_limits<double>::quiet_NaN(), 18 } };
    for (const auto &[width, size] : sizes)
        EXPECT_DOUBLE_EQ(LyricsFont::size(width), size) << width;
}

} // namespace
