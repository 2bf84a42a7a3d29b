#include "Library/TextKeyTable.h"
#include "Library/TrackQuery.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <limits>

namespace {

Track makeTrack(const QString &title, const QString &artist = {}, const QString &album = {},
                const QString &fileName = u"x.mp3"_qs)
{
    return {.id = QUuid::createUuid(), .url = FileLocation::fromLocalFile(u"/music/"_qs + fileName), .title = title,
            .artist = artist, .album = album};
}

QStringList sortedTitles(TrackQuery &query, const QList<Track> &tracks, TrackSort sort, bool ascending)
{
    QStringList result;
    for (const Track &track : TrackQuery::tracksAt(tracks, query.apply(tracks, {}, sort, ascending)))
        result.append(track.title);
    return result;
}

// Matches across two fields and the order of the rows are checked on long lists, below.
TEST(TrackQueryTest, FindsTheQueryInsideOneFieldFoldingCaseAndDiacriticsButNotWidth)
{
    const struct
    {
        const char *query;
        Track track;
        bool found;
    } cases[] = {{"cafe", makeTrack(u"Café del Mar"_qs), true},
                 {"CAFÉ", makeTrack(u"cafe"_qs), true},
                 {"ＡＢＣ", makeTrack(u"ABC"_qs), false},
                 {"  love song\n", makeTrack(u"Love Song 2"_qs), true},
                 {"love song", makeTrack(u"love"_qs, u"song"_qs), false},
                 {"tiesto", makeTrack(u"Love Song"_qs, u"Tiësto"_qs), true},
                 {"flac", makeTrack(u"夜曲"_qs, u"周杰伦"_qs, {}, u"夜曲.FLAC"_qs), true},
                 {"七里", makeTrack(u"Other"_qs, {}, u"七里香"_qs), true},
                 {"杰伦", makeTrack(u"夜曲"_qs, u"周杰伦"_qs), true},
                 {"ni hao", makeTrack(u"Nǐ Hǎo"_qs), true},
                 {"晴天", makeTrack(u"雨天"_qs), false}};
    TrackQuery query;
    for (const auto &c : cases)
        EXPECT_EQ(query.filter({c.track}, QString::fromUtf8(c.query)).size(), c.found ? 1 : 0) << c.query;
    const std::pair<const char *, const char *> folds[] = {
        {"ÅNGSTRÖM", "angstrom"}, {"ΣΊΣΥΦΟΣ", "σισυφοσ"}, {"e\u0301", "e"}, {"𝐀", "𝐀"}, {"한국", "한국"}};
    for (const auto &[text, folded] : folds)
        EXPECT_EQ(TextKeyTable::fold(QString::fromUtf8(text)), QString::fromUtf8(folded)) << text;
}

TEST(TrackQueryTest, MatchesNeverSpanTwoTracksAndABlankQueryKeepsAll)
{
    // Folded one after the other, the file name "a.mp3" and the next title "Cafe" read "a.mp3cafe".
    const QList<Track> tracks{makeTrack(u"Cafe 2"_qs), makeTrack(u"A"_qs, {}, {}, u"a.mp3"_qs), makeTrack(u"Cafe 1"_qs)};
    TrackQuery query;
    EXPECT_TRUE(query.filter(tracks, u"3ca"_qs).isEmpty());
    EXPECT_EQ(query.filter(tracks, u" \n\t"_qs), (QList<qsizetype>{0, 1, 2}));
    EXPECT_EQ(query.apply(tracks, u" "_qs, TrackSort::Title, true), (QList<qsizetype>{1, 2, 0}));
}

// A search runs over the joined text of the whole list; on long lists it finds exactly what
// looking into each field on its own finds. Text from a small alphabet, so that a needle's first
// and last characters stand in many places where the needle does not.
TEST(TrackQueryTest, OnLongListsFindsWhatEachFieldOnItsOwnContains)
{
    QRandomGenerator random(7);
    const auto randomText = [&](int maximumLength) {
        static const QString alphabet = u"abcab周杰伦周"_qs;
        QString text;
        for (int i = random.bounded(maximumLength + 1); i > 0; --i)
            text += alphabet.at(random.bounded(int(alphabet.size())));
        return text;
    };
    QList<Track> tracks;
    for (int i = 0; i < 400; ++i)
        tracks.append(makeTrack(randomText(30), randomText(12), randomText(3), randomText(20) + u".mp3"_qs));
    TrackQuery query;
    for (int round = 0; round < 300; ++round) {
        const QString needle = randomText(7);
        if (needle.isEmpty())
            continue;
        QList<qsizetype> expected;
        const auto holds = [&](const QString &field) { return TextKeyTable::fold(field).contains(TextKeyTable::fold(needle)); };
        for (qsizetype row = 0; row < tracks.size(); ++row) {
            const Track &track = tracks.at(row);
            if (std::ranges::any_of(QStringList{track.title, track.artist, track.album, track.url.fileNameText()}, holds))
                expected.append(row);
        }
        ASSERT_EQ(query.filter(tracks, needle), expected) << needle.toStdString();
    }
}

TEST(TrackQueryTest, AChangedTrackIsSearchedAndSortedByItsNewTextAfterManyLibraries)
{
    // Edited titles are checked against a fresh query by LibraryBrowserTest; a renamed file is not.
    Track track = makeTrack(u"Old Title"_qs);
    TrackQuery query;
    ASSERT_EQ(query.filter({track}, u"x.mp3"_qs).size(), 1);
    track.url = FileLocation::fromLocalFile(u"/music/renamed.wav"_qs);
    EXPECT_EQ(query.filter({track}, u"renamed"_qs).size(), 1);

    for (int library = 0; library < 6; ++library) {
        const auto name = [library](int i) { return u"Track "_qs + QString::number(library * 1000 + i); };
        QList<Track> tracks;
        for (int i = 1; i <= 500; ++i)
            tracks.append(makeTrack(name(i)));
        ASSERT_EQ(sortedTitles(query, tracks, TrackSort::Title, true).first(), name(1));
        EXPECT_EQ(query.filter(tracks, name(500).toLower()), QList<qsizetype>{499});
        tracks[0].title = name(35) + u"b"_qs;
        const QStringList sorted = sortedTitles(query, tracks, TrackSort::Title, true);
        EXPECT_EQ(sorted.indexOf(name(35) + u"b"_qs), sorted.indexOf(name(35)) + 1);
        EXPECT_EQ(query.filter(tracks, name(35) + u"b"_qs), QList<qsizetype>{0});
    }
}

TEST(TrackQueryTest, TitlesOrderLikeFileNamesInEveryLocale)
{
    const QList<Track> tracks{makeTrack(u"track 10"_qs), makeTrack(u"Track 2"_qs), makeTrack(u"Track 1"_qs)};
    TrackQuery query;
    EXPECT_EQ(sortedTitles(query, tracks, TrackSort::Title, true), (QStringList{u"Track 1"_qs, u"Track 2"_qs, u"track 10"_qs}));
    EXPECT_EQ(sortedTitles(query, tracks, TrackSort::Title, false), (QStringList{u"track 10"_qs, u"Track 2"_qs, u"Track 1"_qs}));
    TrackQuery c(QLocale::c());
    EXPECT_EQ(sortedTitles(c, {makeTrack(u"Track 10"_qs), makeTrack(u"Track 2"_qs)}, TrackSort::Title, true),
              (QStringList{u"Track 2"_qs, u"Track 10"_qs}));

    const QList<Track> chinese{makeTrack(u"中国"_qs), makeTrack(u"北京"_qs), makeTrack(u"安静"_qs)};
    TrackQuery pinyin(QLocale(QLocale::Chinese, QLocale::China));
    EXPECT_EQ(sortedTitles(pinyin, chinese, TrackSort::Title, true), (QStringList{u"安静"_qs, u"北京"_qs, u"中国"_qs}));
    EXPECT_EQ(pinyin.apply(chinese, u"京"_qs, TrackSort::Title, true), QList<qsizetype>{1});
}

TEST(TrackQueryTest, TiesOrderByTitleOrInputAndAlbumsByTrackNumber)
{
    Track b = makeTrack(u"B"_qs, u"Adele"_qs), a = makeTrack(u"A"_qs, u"Adele"_qs), c = makeTrack(u"C"_qs, u"Beyoncé"_qs);
    b.duration = a.duration = 200;
    c.duration = 300;
    b.modifiedAt = a.modifiedAt = 5;
    c.modifiedAt = 9;
    TrackQuery query;
    for (TrackSort sort : {TrackSort::Duration, TrackSort::DateAdded}) {
        EXPECT_EQ(sortedTitles(query, {b, c, a}, sort, false), (QStringList{u"C"_qs, u"A"_qs, u"B"_qs}));
        EXPECT_EQ(sortedTitles(query, {c, b, a}, sort, true), (QStringList{u"A"_qs, u"B"_qs, u"C"_qs}));
    }
    // Artist ties follow the chosen direction.
    EXPECT_EQ(sortedTitles(query, {a, b, c}, TrackSort::Artist, false), (QStringList{u"C"_qs, u"B"_qs, u"A"_qs}));
    EXPECT_EQ(sortedTitles(query, {b, c, a}, TrackSort::Artist, true), (QStringList{u"A"_qs, u"B"_qs, u"C"_qs}));

    // Case is ignored, so these compare the same under every key and keep their order.
    const QList<Track> same{makeTrack(u"Same"_qs, u"X"_qs, u"Y"_qs), makeTrack(u"same"_qs, u"x"_qs, u"y"_qs),
                            makeTrack(u"SAME"_qs, u"X"_qs, u"Y"_qs)};
    for (TrackSort sort : allTrackSorts)
        for (bool ascending : {true, false})
            EXPECT_EQ(query.apply(same, {}, sort, ascending), (QList<qsizetype>{0, 1, 2})) << trackSortName(sort).toStdString();

    QList<Track> album{makeTrack(u"Aaa"_qs, {}, u"Album 2"_qs), makeTrack(u"Ten"_qs, {}, u"Album"_qs),
                       makeTrack(u"Two"_qs, {}, u"Album"_qs), makeTrack(u"One"_qs, {}, u"Album"_qs),
                       makeTrack(u"Zed"_qs, {}, u"Album"_qs)};
    for (qsizetype i = 0; i < 4; ++i)
        album[i].trackNumber = QList<qint64>{0, 10, 2, 1}.at(i);
    EXPECT_EQ(sortedTitles(query, album, TrackSort::Album, true),
              (QStringList{u"Zed"_qs, u"One"_qs, u"Two"_qs, u"Ten"_qs, u"Aaa"_qs})) << "a missing number first";
}

TEST(TrackQueryTest, NonFiniteDurationsOrderAsZeroAndSortNamesRoundTrip)
{
    const double infinity = std::numeric_limits<double>::infinity();
    QList<Track> tracks;
    for (const auto &[name, duration] : {std::pair{u"D", std::numeric_limits<double>::quiet_NaN()}, {u"E", 5.0}, {u"B", 0.0},
                                         {u"C", infinity}, {u"A", -infinity}})
        tracks.append({.url = FileLocation::fromPath("/x.mp3"), .title = QString::fromUtf16(name), .duration = duration});
    TrackQuery query;
    EXPECT_EQ(sortedTitles(query, tracks, TrackSort::Duration, true), (QStringList{u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs, u"E"_qs}));

    const QStringList names{u"title"_qs, u"artist"_qs, u"album"_qs, u"duration"_qs, u"dateAdded"_qs};
    for (qsizetype i = 0; i < names.size(); ++i) {
        EXPECT_EQ(trackSortName(allTrackSorts.at(i)), names.at(i));
        EXPECT_EQ(trackSortFromName(names.at(i)), allTrackSorts.at(i));
    }
    EXPECT_EQ(trackSortFromName(u"Title"), std::nullopt);
}

} // namespace
