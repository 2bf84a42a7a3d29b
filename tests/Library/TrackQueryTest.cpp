#include "Library/TextKeyTable.h"
#include "Library/TrackQuery.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

Track makeTrack(const QString &title, const QString &artist = {}, const QString &album = {},
                const QString &fileName = u"x.mp3"_qs)
{
    Track track;
    track.id = QUuid::createUuid();
    track.title = title;
    track.artist = artist;
    track.album = album;
    track.url = FileLocation::fromLocalFile(u"/music/"_qs + fileName);
    return track;
}

QStringList titles(const QList<Track> &tracks, const QList<qsizetype> &rows)
{
    QStringList result;
    for (const Track &track : TrackQuery::tracksAt(tracks, rows))
        result.append(track.title);
    return result;
}

QStringList sortedTitles(TrackQuery &query, const QList<Track> &tracks, TrackSort sort, bool ascending)
{
    return titles(tracks, query.apply(tracks, {}, sort, ascending));
}

struct SearchCase
{
    const char *query;
    Track track;
    bool found;
};

void PrintTo(const SearchCase &search, std::ostream *out)
{
    *out << '"' << search.query << "\" in " << search.track.title.toStdString();
}

class TrackSearchTest : public ::testing::TestWithParam<SearchCase>
{
};

} // namespace

TEST_P(TrackSearchTest, FindsTheQueryInsideOneField)
{
    const SearchCase &search = GetParam();
    TrackQuery query;
    EXPECT_EQ(query.filter({search.track}, QString::fromUtf8(search.query)).size(), search.found ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Examples, TrackSearchTest,
    ::testing::Values(SearchCase{"cafe", makeTrack(u"Café del Mar"_qs), true},
                      SearchCase{"CAFÉ", makeTrack(u"cafe"_qs), true},
                      SearchCase{"ABC", makeTrack(u"abc"_qs), true},
                      SearchCase{"ＡＢＣ", makeTrack(u"ABC"_qs), false},
                      SearchCase{"  love song\n", makeTrack(u"Love Song 2"_qs), true},
                      SearchCase{"love song", makeTrack(u"love"_qs, u"song"_qs), false},
                      SearchCase{"lovesong", makeTrack(u"love"_qs, u"song"_qs), false},
                      SearchCase{"song tiesto", makeTrack(u"Love Song"_qs, u"Tiësto"_qs), false},
                      SearchCase{"tiesto", makeTrack(u"Love Song"_qs, u"Tiësto"_qs), true},
                      SearchCase{"flac", makeTrack(u"夜曲"_qs, u"周杰伦"_qs, {}, u"夜曲.FLAC"_qs), true},
                      SearchCase{"七里", makeTrack(u"Other"_qs, {}, u"七里香"_qs), true},
                      SearchCase{"杰伦", makeTrack(u"夜曲"_qs, u"周杰伦"_qs), true},
                      SearchCase{"ni hao", makeTrack(u"Nǐ Hǎo"_qs), true},
                      SearchCase{"晴天", makeTrack(u"雨天"_qs), false}));

// What the search cases above do not show of the folding.
TEST(TextFoldTest, FoldsCaseAndDiacriticsBeyondLatinButNotWidth)
{
    const std::pair<const char *, const char *> cases[] = {
        {"ÅNGSTRÖM", "angstrom"}, {"ΣΊΣΥΦΟΣ", "σισυφοσ"}, {"e\u0301", "e"}, {"𝐀", "𝐀"}, {"한국", "한국"}};
    for (const auto &[text, folded] : cases)
        EXPECT_EQ(TextKeyTable::fold(QString::fromUtf8(text)), QString::fromUtf8(folded)) << text;
}

TEST(TextKeyTableTest, EqualTextsShareAnIdentifier)
{
    TextKeyTable table(QLocale(QLocale::English, QLocale::UnitedStates));
    const int ten = table.intern(u"Track 10"_qs);
    table.intern(u"TRACK 10"_qs);
    EXPECT_EQ(table.intern(u"Track 10"_qs), ten);
    EXPECT_EQ(table.size(), 2);
}

TEST(TrackQueryTest, MatchesKeepTheirInputOrderAndABlankQueryKeepsEveryTrack)
{
    const QList<Track> tracks{makeTrack(u"Night 2"_qs), makeTrack(u"Day"_qs), makeTrack(u"Night 1"_qs)};
    TrackQuery query;
    EXPECT_EQ(query.filter(tracks, u"night"_qs), (QList<qsizetype>{0, 2}));
    EXPECT_EQ(query.filter(tracks, u" \n\t"_qs), (QList<qsizetype>{0, 1, 2}));
    EXPECT_EQ(query.apply(tracks, u" "_qs, TrackSort::Title, true), (QList<qsizetype>{1, 2, 0}));
}

TEST(TrackQueryTest, AQueryNeverMatchesAcrossTwoTracks)
{
    // Folded one after the other, the file name "a.mp3" and the next title "Cafe" read "a.mp3cafe".
    const QList<Track> tracks{makeTrack(u"A"_qs, {}, {}, u"a.mp3"_qs), makeTrack(u"Cafe"_qs)};
    TrackQuery query;
    EXPECT_TRUE(query.filter(tracks, u"3ca"_qs).isEmpty());
    EXPECT_EQ(query.filter(tracks, u"caf"_qs), QList<qsizetype>{1});
}

TEST(TrackQueryTest, AChangedTrackIsSearchedAndSortedByItsNewText)
{
    Track track = makeTrack(u"Old Title"_qs);
    TrackQuery query;
    ASSERT_EQ(query.filter({track}, u"old"_qs).size(), 1);
    track.title = u"New Title"_qs;
    EXPECT_TRUE(query.filter({track}, u"old"_qs).isEmpty());
    EXPECT_EQ(query.filter({track}, u"new"_qs).size(), 1);
    track.url = FileLocation::fromLocalFile(u"/music/renamed.wav"_qs);
    EXPECT_EQ(query.filter({track}, u"renamed"_qs).size(), 1);

    QList<Track> tracks;
    for (int i = 1; i <= 40; ++i)
        tracks.append(makeTrack(u"Track "_qs + QString::number(i)));
    ASSERT_EQ(sortedTitles(query, tracks, TrackSort::Title, true).first(), u"Track 1"_qs);
    tracks[0].title = u"Track 35b"_qs;
    const QStringList sorted = sortedTitles(query, tracks, TrackSort::Title, true);
    EXPECT_EQ(sorted.first(), u"Track 2"_qs);
    EXPECT_EQ(sorted.indexOf(u"Track 35b"_qs), sorted.indexOf(u"Track 35"_qs) + 1);
    EXPECT_EQ(query.filter(tracks, u"35b"_qs), QList<qsizetype>{0});
}

TEST(TrackQueryTest, SearchStaysRightAfterManyLibrariesCameAndWent)
{
    TrackQuery query;
    for (int library = 0; library < 6; ++library) {
        QList<Track> tracks;
        for (int i = 0; i < 500; ++i)
            tracks.append(makeTrack(u"Song "_qs + QString::number(library * 1000 + i)));
        const QString last = QString::number(library * 1000 + 499);
        EXPECT_EQ(query.filter(tracks, u"song "_qs + last), QList<qsizetype>{499});
        EXPECT_EQ(query.apply(tracks, {}, TrackSort::Title, false).first(), 499);
    }
}

TEST(TrackQueryTest, TitlesOrderLikeFileNamesInEveryLocale)
{
    const QList<Track> tracks{makeTrack(u"track 10"_qs), makeTrack(u"Track 2"_qs), makeTrack(u"Track 1"_qs)};
    TrackQuery query;
    EXPECT_EQ(sortedTitles(query, tracks, TrackSort::Title, true),
              (QStringList{u"Track 1"_qs, u"Track 2"_qs, u"track 10"_qs}));
    EXPECT_EQ(sortedTitles(query, tracks, TrackSort::Title, false),
              (QStringList{u"track 10"_qs, u"Track 2"_qs, u"Track 1"_qs}));
    TrackQuery c(QLocale::c());
    EXPECT_EQ(sortedTitles(c, {makeTrack(u"Track 10"_qs), makeTrack(u"Track 2"_qs)}, TrackSort::Title, true),
              (QStringList{u"Track 2"_qs, u"Track 10"_qs}));

    const QList<Track> chinese{makeTrack(u"中国"_qs), makeTrack(u"北京"_qs), makeTrack(u"安静"_qs)};
    TrackQuery pinyin(QLocale(QLocale::Chinese, QLocale::China));
    EXPECT_EQ(sortedTitles(pinyin, chinese, TrackSort::Title, true), (QStringList{u"安静"_qs, u"北京"_qs, u"中国"_qs}));
    EXPECT_EQ(pinyin.apply(chinese, u"京"_qs, TrackSort::Title, true), QList<qsizetype>{1});
}

TEST(TrackQueryTest, TiesOrderByTitleFromAToZOrFollowTheDirection)
{
    Track b = makeTrack(u"B"_qs, u"Adele"_qs);
    Track a = makeTrack(u"A"_qs, u"Adele"_qs);
    Track c = makeTrack(u"C"_qs, u"Beyoncé"_qs);
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
}

TEST(TrackQueryTest, AlbumsOrderByTrackNumberWithAMissingNumberFirst)
{
    Track ten = makeTrack(u"Ten"_qs, {}, u"Album"_qs);
    Track two = makeTrack(u"Two"_qs, {}, u"Album"_qs);
    Track one = makeTrack(u"One"_qs, {}, u"Album"_qs);
    Track unnumbered = makeTrack(u"Zed"_qs, {}, u"Album"_qs);
    Track other = makeTrack(u"Aaa"_qs, {}, u"Album 2"_qs);
    ten.trackNumber = 10;
    two.trackNumber = 2;
    one.trackNumber = 1;
    other.trackNumber = 0;
    TrackQuery query;
    EXPECT_EQ(sortedTitles(query, {other, ten, one, two, unnumbered}, TrackSort::Album, true),
              (QStringList{u"Zed"_qs, u"One"_qs, u"Two"_qs, u"Ten"_qs, u"Aaa"_qs}));
}

TEST(TrackQueryTest, EqualTracksKeepTheirInputOrderInBothDirections)
{
    // Case is ignored, so these compare the same under every key.
    const QList<Track> tracks{makeTrack(u"Same"_qs, u"X"_qs, u"Y"_qs), makeTrack(u"same"_qs, u"x"_qs, u"y"_qs),
                              makeTrack(u"SAME"_qs, u"X"_qs, u"Y"_qs)};
    TrackQuery query;
    for (TrackSort sort : allTrackSorts) {
        for (bool ascending : {true, false})
            EXPECT_EQ(query.apply(tracks, {}, sort, ascending), (QList<qsizetype>{0, 1, 2}))
                << trackSortName(sort).toStdString();
    }
}

TEST(TrackQueryTest, NonFiniteDurationsOrderAsZero)
{
    QList<Track> tracks;
    const double durations[]{std::numeric_limits<double>::quiet_NaN(), 5, 0,
                             std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()};
    const char *names[]{"D", "E", "B", "C", "A"};
    for (int i = 0; i < 5; ++i) {
        tracks.append(makeTrack(QString::fromUtf8(names[i])));
        tracks.last().duration = durations[i];
    }
    TrackQuery query;
    EXPECT_EQ(sortedTitles(query, tracks, TrackSort::Duration, true),
              (QStringList{u"A"_qs, u"B"_qs, u"C"_qs, u"D"_qs, u"E"_qs}));
}

TEST(TrackSortTest, NamesRoundTripAndUnknownNamesGiveNothing)
{
    const QStringList names{u"title"_qs, u"artist"_qs, u"album"_qs, u"duration"_qs, u"dateAdded"_qs};
    for (qsizetype i = 0; i < names.size(); ++i) {
        EXPECT_EQ(trackSortName(allTrackSorts.at(i)), names.at(i));
        EXPECT_EQ(trackSortFromName(names.at(i)), allTrackSorts.at(i));
    }
    EXPECT_EQ(trackSortFromName(u"Title"), std::nullopt);
}
