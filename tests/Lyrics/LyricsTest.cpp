// Lyrics from their text to the screen: parsing LRC, finding a sidecar file, the cache, resolving a
// track's lyrics from its override, sidecar, cache or the web, and what the view shows meanwhile.
#include "Lyrics/LRCParser.h"
#include "Lyrics/LyricsCache.h"
#include "Lyrics/LyricsDisplayState.h"
#include "Lyrics/LyricsFont.h"
#include "Lyrics/LyricsService.h"
#include "Lyrics/LyricsSidecar.h"

#include "Await.h"
#include "Support/FaultInjectingFileOperations.h"

#include <QDir>
#include <QPromise>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

TEST(LRCParser, GivesTheLinesAListenerExpects)
{
    const struct
    {
        const char *name;
        const char16_t *text;
        Lyrics expected;
    } cases[] = {
        { "Empty", u"", Lyrics {} },
        { "CentisecondTag", u"[00:12.34]Hello", synced({ { 12.34, "Hello" } }) },
        { "ColonBeforeFraction", u"[01:02:5]x", synced({ { 62.5, "x" } }) },
        { "ShortMinutes", u"[1:02]x", synced({ { 62, "x" } }) },
        { "FractionDigitsCount", u"[00:01.5]a\n[00:02.50]b\n[00:03.500]c\n[00:04.05]d",
            synced({ { 1.5, "a" }, { 2.5, "b" }, { 3.5, "c" }, { 4.05, "d" } }) },
        { "NoRangeCheck", u"[00:75]a\n[999:00]b", synced({ { 75, "a" }, { 59940, "b" } }) },
        { "SeveralTagsOnOneLine", u"[00:05.00][00:01.00] Hi", synced({ { 1, "Hi" }, { 5, "Hi" } }) },
        { "LaterTagsAreWordTimings", u"A [00:01.00] B [00:02.00] C", synced({ { 1, "B C" } }) },
        { "InlineTimeTags", u"[00:12.00]Line [00:12.50]one [00:13.00]here",
            synced({ { 12, "Line one here" } }) },
        { "EnhancedWordTimings", u"[00:12.00]<00:12.00>Line <00:12.50>one", synced({ { 12, "Line one" } }) },
        { "CommaBeforeFraction", u"[00:06,50]a", synced({ { 6.5, "a" } }) },
        { "UnknownTagsAlone", u"[#:abc]\n[x-trans:1]\nHello", plain({ "Hello" }) },
        { "TagAlone", u"[00:10.00]", synced({ { 10, QString() } }) },
        // A positive offset shows the lines sooner, a negative one later.
        { "PositiveOffset", u"[offset:+500]\n[00:01.00]a\n[00:03.00]b",
            synced({ { 0.5, "a" }, { 2.5, "b" } }) },
        { "NegativeOffset", u"[OFFSET: -250 ]\n[00:01.00]a", synced({ { 1.25, "a" } }) },
        { "LastOffsetCountsEverywhere", u"[offset:100]\n[00:01.00]a\n[00:02.00]b\n[offset:1000]",
            synced({ { 0, "a" }, { 1, "b" } }) },
        { "OffsetMayMakeTimesNegative", u"[offset:2000]\n[00:01.00]a", synced({ { -1, "a" } }) },
        { "OffsetLineGivesNoLine", u"[00:01.00]a\n[00:03.00]Hi [offset:100]", synced({ { 0.9, "a" } }) },
        { "UntimedLinesLeftOut", u"Song Title\n\nBy Someone\n[00:01.00]a\nCredits", synced({ { 1, "a" } }) },
        { "PlainTextWithoutMetadata", u"[ar:Someone]\n[ti:Title]\n\n  Hello\u3000\n\tWorld",
            plain({ "Hello", "World" }) },
        { "EqualTimesKeepTextOrder", u"[00:01.00]b\n[00:01.00]a", synced({ { 1, "b" }, { 1, "a" } }) },
        { "SortedByTime", u"[00:09.00]c\n[00:01.00]a\n[00:05.00]b",
            synced({ { 1, "a" }, { 5, "b" }, { 9, "c" } }) },
        { "CarriageReturns", u"[00:01.00]a\r[00:02.00]b\r\rplain", synced({ { 1, "a" }, { 2, "b" } }) },
        { "CrLf", u"[00:01.00]a\r\n[00:02.00]b\r\n\r\nplain", synced({ { 1, "a" }, { 2, "b" } }) },
        // Full-width digits match the pattern but give no time; such a line is not plain either.
        { "FullWidthTagBesideARealOne", u"[００:０１.００]lost\n[00:02.00]kept", synced({ { 2, "kept" } }) },
        { "OnlyFullWidthTags", u"[００:０１]lost\nplain", plain({ "plain" }) },
    };
    for (const auto &c : cases)
        EXPECT_EQ(LRCParser::parse(c.text), c.expected) << c.name;
    const QString words(200000, u'a');
    EXPECT_EQ(LRCParser::parse(u"[00:01.00]"_qs + words), synced({ { 1, words } }));
    const std::pair<const char16_t *, QStringList> plainTexts[]
        = { { u"", {} }, { u"[00:01.00]Hello [offset:100]", { "Hello" } }, { u"[ti:Song]", {} },
              { u"<00:12.00>Line <00:12.50>one", { "Line one" } }, { u"b\r\n\r\na", { "b", "a" } } };
    for (const auto &[text, expected] : plainTexts)
        EXPECT_EQ(LRCParser::parsePlainText(text), plain(expected))
            << QStringView(text).toString().toStdString();
}

TEST(LyricsIndex, FindsTheLastLineStartedAtATimeAndNoneForUnsyncedLyrics)
{
    const Lyrics lyrics = synced({ { 0, "a" }, { 5, "b" }, { 10, "c" } });
    const std::pair<double, std::optional<qsizetype>> cases[] = { { -1, std::nullopt }, { 0, 0 }, { 4.99, 0 },
        { 5, 1 }, { 100, 2 }, { std::nan(""), std::nullopt } };
    for (const auto &[time, index] : cases)
        EXPECT_EQ(lyrics.index(time), index) << time;
    EXPECT_EQ(synced({ { 5, "a" }, { 5, "b" }, { 7, "c" } }).index(5), 1);
    EXPECT_EQ(plain({ "a" }).index(3), std::nullopt);
    EXPECT_EQ(synced({}).index(3), std::nullopt);
}

// Files by their raw names (which need not be UTF-8) in a temporary folder.
class LyricsFolderTest : public ::testing::Test
{
protected:
    FileLocation location(const QByteArray &name) const
    {
        return FileLocation::fromLocalFile(m_root.path()).appending(name);
    }
    void writeFile(const QByteArray &name, const QByteArray &bytes = {}) const
    {
        FileOperations &files = FileOperations::system();
        ASSERT_TRUE(files.createDirectories(location(name).deletingLastPathComponent()));
        ASSERT_TRUE(files.writeAtomicallyUnsynced(location(name), bytes));
    }

    QTemporaryDir m_root;
};

// Sidecar files -------------------------------------------------------------------------------

class LyricsSidecarTest : public LyricsFolderTest
{
protected:
    std::optional<QByteArray> findFor(const QByteArray &audioName) const
    {
        const std::optional<FileLocation> found = LyricsSidecar::find(Track { .url = location(audioName) });
        if (!found)
            return std::nullopt;
        EXPECT_EQ(found->deletingLastPathComponent(), location(audioName).deletingLastPathComponent());
        return found->fileName();
    }
};

TEST_F(LyricsSidecarTest, ChoosesTheFileAListenerExpects)
{
    const struct
    {
        const char *audio;
        QList<const char *> files;
        const char *expected; // nullptr: no sidecar
    } cases[] = { { "Song.mp3", { "song.LRC", "Song.lrc" }, "Song.lrc" },
        { "Song (Live).flac", { "Song.lrc" }, "Song.lrc" },
        { "Song.flac", { "Song [Live].lrc" }, "Song [Live].lrc" },
        { "Song.flac", { "Song (Live】.lrc" }, "Song (Live】.lrc" },
        { "A.mp3", { "A (1).lrc", "A.lrc" }, "A.lrc" },
        { "A.mp3", { "A [y].lrc", "A (x).lrc" }, "A (x).lrc" }, { "[01].mp3", { "01.lrc" }, nullptr },
        { "[01].mp3", { "[01].lrc" }, "[01].lrc" }, { "My Song.mp3", { "mysong.lrc" }, "mysong.lrc" },
        { "My Song.mp3", { "MY  SONG.lrc" }, "MY  SONG.lrc" }, { "My Song.mp3", { "My-Song.lrc" }, nullptr },
        { "Café.mp3", { "Cafe.lrc" }, nullptr }, { "Café.mp3", { "CAFÉ.lrc" }, "CAFÉ.lrc" },
        { "Café.mp3", { "Cafe\xCC\x81.lrc" }, "Cafe\xCC\x81.lrc" }, // decomposed é
        { "song.mp3", { "ＳＯＮＧ.lrc" }, "ＳＯＮＧ.lrc" }, // full-width letters
        { "晴天.mp3", { "晴天　.lrc" }, "晴天　.lrc" }, // ideographic space
        { "晴天（现场）.mp3", { "晴天.lrc" }, "晴天.lrc" },
        { "Song.mp3", { "Other.lrc", "Song.txt" }, nullptr }, { "Song.mp3", { ".Song.lrc" }, nullptr } };
    int index = 0;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.audio);
        const QByteArray folder = QByteArray::number(++index) + '/'; // each case in a folder of its own
        for (const char *name : c.files)
            writeFile(folder + name);
        EXPECT_EQ(
            findFor(folder + c.audio), c.expected ? std::optional(QByteArray(c.expected)) : std::nullopt);
    }
}

TEST_F(LyricsSidecarTest, OnlyFilesBesideTheAudioCountFollowingLinksAndNamesMayBeGb18030)
{
    writeFile("sub/A.lrc");
    EXPECT_EQ(findFor("A.mp3"), std::nullopt); // sub-folders are not searched
    ASSERT_TRUE(QDir(m_root.path()).mkpath(u"B.lrc"_qs));
    writeFile("b.lrc");
    EXPECT_EQ(findFor("B.mp3"), QByteArray("b.lrc")); // a folder named like a sidecar never wins
    ASSERT_EQ(::mkfifo(location("C.lrc").cPath(), 0600), 0);
    writeFile("c.lrc");
    EXPECT_EQ(findFor("C.mp3"), QByteArray("c.lrc")); // nor does a FIFO, and nothing blocks
    writeFile("target.txt");
    ASSERT_EQ(::symlink("target.txt", location("D.lrc").cPath()), 0);
    EXPECT_EQ(findFor("D.mp3"), QByteArray("D.lrc"));
    ASSERT_EQ(::symlink("nowhere", location("E.lrc").cPath()), 0);
    EXPECT_EQ(findFor("E.mp3"), std::nullopt);
    EXPECT_EQ(findFor("missing/Song.mp3"), std::nullopt);
    writeFile("file");
    EXPECT_EQ(findFor("file/Song.mp3"), std::nullopt);
    QStringEncoder encoder("GB18030");
    writeFile(encoder.encode(u"晴天.LRC"_qs));
    writeFile(encoder.encode(u"雨天.lrc"_qs));
    EXPECT_EQ(findFor(encoder.encode(u"晴天.mp3"_qs)), QByteArray(encoder.encode(u"晴天.LRC"_qs)));
}

// The cache -----------------------------------------------------------------------------------

const Lyrics cachedLines { { { 1.5, "一" }, { 3, "two" } }, true };

class LyricsCacheTest : public LyricsFolderTest
{
protected:
    QStringList fileNames() const { return QDir(m_root.filePath(u"lyrics"_qs)).entryList(QDir::Files); }
    static QByteArray overrideName(const QUuid &id)
    {
        return "override-" + id.toByteArray(QUuid::WithoutBraces).toUpper() + ".json";
    }

    FaultInjectingFileOperations m_files;
    LyricsCache m_cache { location("lyrics"), m_files };
};

TEST_F(LyricsCacheTest, EntriesAreKeyedByTrimmedLowerCasedTextsAndTheRoundedDuration)
{
    ASSERT_TRUE(m_cache.save(cachedLines, u"  Song "_qs, u"ABC"_qs, 200.4));
    EXPECT_EQ(m_cache.load(u" song\n"_qs, u"abc"_qs, 199.5), cachedLines);
    EXPECT_EQ(m_cache.load(u"Song"_qs, u"ABC"_qs, 202), std::nullopt);
    const Lyrics other { { { 0, "plain" } }, false };
    ASSERT_TRUE(m_cache.save(other, u"Song"_qs, u"abc"_qs, 200)); // replaces the entry
    EXPECT_EQ(m_cache.load(u"Song"_qs, u"ABC"_qs, 200), other);
    EXPECT_EQ(m_cache.load(u"Son"_qs, u"gABC"_qs, 200), std::nullopt); // the parts of the key stay apart
    ASSERT_TRUE(m_cache.save(cachedLines, QString(), QString(), 0.5));
    EXPECT_EQ(m_cache.load(QString(), QString(), 1), cachedLines);
    for (const double duration :
        { std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
            -std::numeric_limits<double>::infinity(), 1e300, -5.0 }) {
        EXPECT_FALSE(m_cache.save(cachedLines, u"Song"_qs, u"A"_qs, duration)) << duration;
        EXPECT_EQ(m_cache.load(u"Song"_qs, u"A"_qs, duration), std::nullopt) << duration;
    }
    EXPECT_EQ(fileNames().size(), 2);
}

TEST_F(LyricsCacheTest, OverrideIsStoredAsCompactJsonReadBackInOrderAndRemoved)
{
    const QUuid id = QUuid::createUuid();
    const Lyrics unordered { { { 9, "late" }, { 1, "early" } }, true };
    ASSERT_TRUE(m_cache.saveOverride(unordered, id)); // creates the missing folder
    EXPECT_EQ(fileNames(), QStringList { QString::fromLatin1(overrideName(id)) });
    const QByteArray bytes = m_files.readAll(location("lyrics/" + overrideName(id)), -1).value_or("");
    EXPECT_FALSE(bytes.contains('\n'));
    EXPECT_TRUE(bytes.contains("\"isSynced\":true"));
    EXPECT_EQ(m_cache.loadOverride(id), unordered);
    EXPECT_EQ(m_cache.loadOverride(QUuid::createUuid()), std::nullopt);
    // A line time that is no number fails and keeps the old file.
    EXPECT_FALSE(
        m_cache.saveOverride(Lyrics { { { std::numeric_limits<double>::infinity(), "x" } }, true }, id));
    EXPECT_EQ(m_cache.loadOverride(id), unordered);
    m_files.failOnce(FileOperations::Operation::Remove, EIO);
    const auto failed = m_cache.removeOverride(id);
    ASSERT_FALSE(failed);
    EXPECT_EQ(failed.error().code, EIO);
    EXPECT_EQ(m_cache.loadOverride(id), unordered);
    ASSERT_TRUE(m_cache.removeOverride(id));
    EXPECT_TRUE(fileNames().isEmpty());
    EXPECT_TRUE(m_cache.removeOverride(id)); // removing a missing override succeeds
}

TEST_F(LyricsCacheTest, ReadsOnlyCompleteRecords)
{
    const std::pair<const char *, bool> stored[] = { { R"({"isSynced":false,"lines":[]})", true },
        { R"({"isSynced":true,"lines":[{"time":1,"text":"a"}],"extra":1})", true },
        { R"({"lines":[]})", false }, { R"({"isSynced":1,"lines":[]})", false },
        { R"({"isSynced":true,"lines":[{"time":1}]})", false },
        { R"({"isSynced":true,"lines":[{"time":"1","text":"a"}]})", false },
        { R"({"isSynced":true,"lines":null})", false },
        { R"({"isSynced":true,"lines":{"time":1,"text":"a"}})", false },
        { R"({"isSynced":true,"lines":[{"time":1,"text":"a"}])", false },
        { R"({"isSynced":true,"lines":[]} [])", false },
        { "{\"isSynced\":true,\"lines\":[{\"time\":1,\"text\":\"\xC3\x28\"}]}", false },
        { R"([1,2])", false }, { "not json", false }, { "", false } };
    const QUuid id = QUuid::createUuid();
    for (const auto &[json, loads] : stored) {
        writeFile("lyrics/" + overrideName(id), json);
        EXPECT_EQ(m_cache.loadOverride(id).has_value(), loads) << json;
    }
    writeFile("lyrics/" + overrideName(id), R"({"isSynced":false,"lines":[]})" + QByteArray(9 << 20, ' '));
    EXPECT_EQ(m_cache.loadOverride(id), std::nullopt); // too large
}

TEST_F(LyricsCacheTest, WriteThatFailsKeepsTheOldFile)
{
    ASSERT_TRUE(m_cache.save(cachedLines, u"Song"_qs, u"A"_qs, 100));
    m_files.failOnce(FileOperations::Operation::WriteAtomically, ENOSPC);
    const auto saved = m_cache.save(Lyrics { { { 0, "new" } }, false }, u"Song"_qs, u"A"_qs, 100);
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().code, ENOSPC);
    EXPECT_EQ(m_cache.load(u"Song"_qs, u"A"_qs, 100), cachedLines);
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

const Lyrics fetched { { { 1, "from the web" } }, true };
const Lyrics cached { { { 2, "from the cache" } }, true };
const Lyrics overridden { { { 0, "by hand" } }, false };

class LyricsServiceTest : public LyricsFolderTest
{
protected:
    std::optional<ResolvedLyrics> resolve() { return await(m_service.resolve(m_track)); }
    static std::optional<ResolvedLyrics> resolved(const Lyrics &lyrics, LyricsOrigin origin)
    {
        return ResolvedLyrics { lyrics, origin, std::nullopt };
    }
    std::optional<ResolvedLyrics> sidecar(const Lyrics &lyrics, const QByteArray &name)
    {
        return ResolvedLyrics { lyrics, LyricsOrigin::Sidecar, location(name) };
    }

    LyricsCache m_cache { location("lyrics") };
    std::shared_ptr<CountingFetcher> m_fetcher = std::make_shared<CountingFetcher>(Result(fetched));
    LyricsService m_service { m_cache, m_fetcher };
    Track m_track { .id = QUuid::createUuid(), .url = location("Song.mp3"), .title = "Song", .artist = "Artist",
        .duration = 180.2 };
};

TEST_F(LyricsServiceTest, OverrideComesFirstAndAnEmptyOneFallsThroughToTheSidecar)
{
    ASSERT_TRUE(m_cache.saveOverride(overridden, m_track.id));
    writeFile("song.lrc", "[00:01.00]sidecar");
    ASSERT_TRUE(m_cache.save(cached, m_track.title, m_track.artist, m_track.duration));
    EXPECT_EQ(resolve(), resolved(overridden, LyricsOrigin::Override));
    ASSERT_TRUE(m_cache.saveOverride(Lyrics {}, m_track.id));
    EXPECT_EQ(resolve(), sidecar(synced({ { 1, "sidecar" } }), "song.lrc"));
    EXPECT_EQ(m_fetcher->calls, 0);
}

TEST_F(LyricsServiceTest, SidecarIsReadInAnyEncodingWithOrWithoutTimeTags)
{
    writeFile("Song.lrc", "just words\n");
    EXPECT_EQ(resolve(), sidecar(plain({ "just words" }), "Song.lrc"));
    writeFile("Song.lrc", QStringEncoder("GB18030").encode(u"[00:01.00]故事的小黄花"_qs));
    EXPECT_EQ(resolve(), sidecar(synced({ { 1, "故事的小黄花" } }), "Song.lrc"));
    for (const auto &[bytes, text] : { std::pair { QByteArray("\xEF\xBB\xBF晴天"), u"晴天"_qs },
             std::pair { QByteArray("\xFF\xFEn\0a", 6), u"na"_qs } }) {
        writeFile("file.lrc", bytes);
        EXPECT_EQ(LyricsService::readText(location("file.lrc")), text);
    }
}

TEST_F(LyricsServiceTest, SidecarThatCannotBeReadOrHasNoLinesFallsToTheCacheWithoutTryingAnother)
{
    writeFile("Song.lrc", "[00:01.00]\x81 \x8D \x90");
    writeFile("Song (Live).lrc", "[00:01.00]other sidecar");
    ASSERT_TRUE(m_cache.save(cached, m_track.title, m_track.artist, m_track.duration));
    EXPECT_EQ(resolve(), resolved(cached, LyricsOrigin::Online));
    writeFile("Song.lrc", "[ti:Song]\n[ar:Artist]\n");
    EXPECT_EQ(resolve(), resolved(cached, LyricsOrigin::Online));
    EXPECT_EQ(m_fetcher->calls, 0);
}

TEST_F(LyricsServiceTest, NothingIsFetchedWhenDisabledOrForABlankTitleWhichStillGetsItsOverride)
{
    m_service.setOnlineEnabled(false);
    EXPECT_EQ(resolve(), std::nullopt);
    m_service.setOnlineEnabled(true);
    m_track.title = "   ";
    EXPECT_EQ(resolve(), std::nullopt);
    EXPECT_EQ(m_fetcher->calls, 0);
    ASSERT_TRUE(m_cache.saveOverride(overridden, m_track.id));
    EXPECT_EQ(resolve(), resolved(overridden, LyricsOrigin::Override));
}

TEST_F(LyricsServiceTest, OnlyFetchedLyricsWithLinesAreCachedAndThenAnsweredFromTheCache)
{
    m_service.setClient(
        std::make_shared<CountingFetcher>(Result(std::unexpected(LyricsFetchError::badStatus(500)))));
    EXPECT_EQ(resolve(), std::nullopt);
    EXPECT_FALSE(QDir(m_root.filePath(u"lyrics"_qs)).exists());
    m_service.setClient(std::make_shared<CountingFetcher>(Result(Lyrics { {}, true })));
    EXPECT_EQ(resolve(), std::nullopt);
    EXPECT_EQ(m_cache.load(m_track.title, m_track.artist, m_track.duration), std::nullopt);
    m_service.setClient(m_fetcher);
    m_track.title = " Song ";
    EXPECT_EQ(resolve(), resolved(fetched, LyricsOrigin::Online));
    EXPECT_EQ(m_fetcher->lastRequest, (QStringList { " Song ", "Artist", "180.2" }));
    EXPECT_EQ(m_cache.load("song", "artist", 180), fetched);
    EXPECT_EQ(resolve(), resolved(fetched, LyricsOrigin::Online));
    EXPECT_EQ(m_fetcher->calls, 1);
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
    EXPECT_EQ(await(first), resolved(fetched, LyricsOrigin::Online));
    EXPECT_EQ(replacement->calls, 0);
}

// The view ------------------------------------------------------------------------------------

// What the lyrics view shows while a track's lyrics load, and which results it takes.
TEST(LyricsDisplayStateTest, ShowsOnlyTheLyricsOfTheTrackBeingLoaded)
{
    const ResolvedLyrics resolved { synced({ { 1, "a" } }), LyricsOrigin::Sidecar, std::nullopt };
    const QUuid first = QUuid::createUuid(), second = QUuid::createUuid();
    LyricsDisplayState state;
    state.finish(resolved, first); // nothing is loading
    EXPECT_EQ(state, LyricsDisplayState());
    EXPECT_FALSE(state.beginLoading(first));
    state.apply(resolved, first);
    EXPECT_FALSE(state.beginLoading(first)); // a retry keeps the lyrics shown
    EXPECT_EQ(state, (LyricsDisplayState { first, resolved.lyrics, LyricsOrigin::Sidecar, true }));
    EXPECT_TRUE(state.beginLoading(second)); // another track clears them
    EXPECT_EQ(state, (LyricsDisplayState { second, std::nullopt, LyricsOrigin::None, true }));
    state.finish(resolved, first); // a late result for the track before
    EXPECT_EQ(state, (LyricsDisplayState { second, std::nullopt, LyricsOrigin::None, true }));
    state.finish(resolved, second);
    EXPECT_EQ(state, (LyricsDisplayState { second, resolved.lyrics, LyricsOrigin::Sidecar, false }));
    EXPECT_TRUE(state.beginLoading(std::nullopt));
    EXPECT_EQ(state, LyricsDisplayState());
    EXPECT_FALSE(state.beginLoading(std::nullopt));
    EXPECT_FALSE(state.beginLoading(first)); // nothing was shown to clear
}

TEST(LyricsFont, SizeFollowsTheWidth)
{
    constexpr double infinity = std::numeric_limits<double>::infinity();
    const std::pair<double, double> sizes[]
        = { { 0, 18 }, { 320, 18 }, { -infinity, 18 }, { 900, 36 }, { 1200, 36 }, { infinity, 36 },
              { 610, 27 }, { 465, 22.5 }, { std::numeric_limits<double>::quiet_NaN(), 18 } };
    for (const auto &[width, size] : sizes)
        EXPECT_DOUBLE_EQ(LyricsFont::size(width), size) << width;
}

} // namespace
