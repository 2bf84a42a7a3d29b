#include "Organize/OrganizeTemplate.h"

#include <QStringDecoder>

#include <gtest/gtest.h>

namespace {

const FileLocation root = FileLocation::fromPath("/music");

struct RenderCase
{
    const char *name;
    QString templateText;
    Track track;
    QByteArray expected; // below the root
};

Track song(const QByteArray &path = "/in/Song.flac")
{
    Track track;
    track.url = FileLocation::fromPath(path);
    track.title = QStringLiteral("Title");
    track.artist = QStringLiteral("Artist");
    track.album = QStringLiteral("Album");
    return track;
}

template <typename Change> Track songWith(Change change, const QByteArray &path = "/in/Song.flac")
{
    Track track = song(path);
    change(track);
    return track;
}

void PrintTo(const RenderCase &value, std::ostream *out)
{
    *out << value.name;
}

class RenderTest : public testing::TestWithParam<RenderCase>
{
};

TEST_P(RenderTest, RendersTheDestination)
{
    const RenderCase &c = GetParam();
    EXPECT_EQ(OrganizeTemplate::render(c.templateText, c.track, root).path(), "/music/" + c.expected);
}

const QString albumLayout = QStringLiteral("{artist}/{album}/{track} {title}");

INSTANTIATE_TEST_SUITE_P(Examples, RenderTest,
    testing::Values(
        RenderCase { "NoTrackNumberTrimsTheSpace", albumLayout, song(), "Artist/Album/Title.flac" },
        RenderCase { "TrackNumberInPlainDecimal", albumLayout, songWith([](Track &t) { t.trackNumber = 3; }),
            "Artist/Album/3 Title.flac" },
        RenderCase {
            "ExtensionAppended", QStringLiteral("{artist} - {title}"), song(), "Artist - Title.flac" },
        RenderCase {
            "ExtensionInAFolderIsNotAppended", QStringLiteral("{ext}/{title}"), song(), "flac/Title" },
        RenderCase { "ExtensionCaseKept", QStringLiteral("{title}"), song("/in/a.FLAC"), "Title.FLAC" },
        RenderCase { "NoExtensionLeavesNoTrailingDot", QStringLiteral("{artist}/{title}"), song("/in/Song"),
            "Artist/Title" },
        RenderCase { "DotsOnlyAlbumDropsTheLevel", QStringLiteral("{artist}/{album}/{title}"),
            songWith([](Track &t) { t.album = QStringLiteral(". . ."); }), "Artist/Title.flac" },
        RenderCase { "WhitespaceAlbumIsUnknown", QStringLiteral("{artist}/{album}/{title}"),
            songWith([](Track &t) { t.album = QStringLiteral(" \n"); }), "Artist/未知专辑/Title.flac" },
        RenderCase { "EmptyArtistIsUnknown", QStringLiteral("{artist}/{title}"),
            songWith([](Track &t) { t.artist.clear(); }), "未知歌手/Title.flac" },
        RenderCase { "SlashInValueIsNoFolder", QStringLiteral("{artist}/{title}"),
            songWith([](Track &t) { t.artist = QStringLiteral("AC/DC"); }), "AC、DC/Title.flac" },
        RenderCase { "ColonAndQuestionMark", QStringLiteral("{title}"),
            songWith([](Track &t) { t.title = QStringLiteral("Why: Me?"); }), "Why- Me-.flac" },
        RenderCase { "EmptyTitleTakesTheFileName", QStringLiteral("{title}"),
            songWith([](Track &t) { t.title.clear(); }, "/in/07 Song.flac"), "07 Song.flac" },
        // "晴天" in GBK: the fallback name is read as text, and written out as UTF-8.
        RenderCase { "EmptyTitleTakesAFileNameThatIsNotUtf8", QStringLiteral("{title}"),
            songWith([](Track &t) { t.title.clear(); }, "/in/\xc7\xe7\xcc\xec.flac"), "晴天.flac" },
        RenderCase { "NoTitleAtAll", QStringLiteral("{title}"),
            songWith([](Track &t) { t.title.clear(); }, "/in/ .flac"), "未知歌曲.flac" },
        RenderCase { "MiswrittenPlaceholderStaysLiteral", QStringLiteral("{title}.{Ext}"), song(),
            "Title.{Ext}.flac" },
        RenderCase { "LaterPlaceholderInAValueIsReplaced", QStringLiteral("{title}"),
            songWith([](Track &t) { t.title = QStringLiteral("{year}"), t.year = 1999; }), "1999.flac" },
        RenderCase { "EarlierPlaceholderInAValueStays", QStringLiteral("{album}"),
            songWith([](Track &t) { t.album = QStringLiteral("{artist}"); }), "{artist}.flac" },
        RenderCase { "AlbumArtistFallsBackToArtist", QStringLiteral("{albumArtist}/{title}"),
            songWith([](Track &t) { t.albumArtist = QStringLiteral("  "); }), "Artist/Title.flac" },
        RenderCase { "AlbumArtistWhenGiven", QStringLiteral("{albumArtist}/{title}"),
            songWith([](Track &t) { t.albumArtist = QStringLiteral("Various"); }), "Various/Title.flac" },
        RenderCase { "EmptyPiecesContributeNothing", QStringLiteral("/{artist}//{title}"), song(),
            "Artist/Title.flac" },
        // A name starting with "." would be hidden and skipped by the library scan.
        RenderCase { "LeadingDotOfAFolderDropped", QStringLiteral("{artist}/{title}"),
            songWith([](Track &t) { t.artist = QStringLiteral(".38 Special"); }), "38 Special/Title.flac" },
        RenderCase { "LeadingDotOfAFileDropped", QStringLiteral("{title}"),
            songWith([](Track &t) { t.title = QStringLiteral("..Hidden"); }), "Hidden.flac" },
        RenderCase { "EmptyTemplateNamesTheFile", QString(), song(), "未命名.flac" },
        RenderCase { "EmptyTemplateWithoutExtension", QString(), song("/in/Song"), "未命名" },
        RenderCase { "DotsOnlyTitleNamesTheFile", QStringLiteral("{artist}/{title}"),
            songWith([](Track &t) { t.title = QStringLiteral("..."); }), "Artist/未命名.flac" }),
    [](const testing::TestParamInfo<RenderCase> &info) { return std::string(info.param.name); });

struct SanitizeCase
{
    QString input;
    QString expected;
};

class SanitizeTest : public testing::TestWithParam<SanitizeCase>
{
};

TEST_P(SanitizeTest, MakesTheComponentSafe)
{
    EXPECT_EQ(OrganizeTemplate::sanitize(GetParam().input), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Rules, SanitizeTest,
    testing::Values(SanitizeCase { QStringLiteral("a/b:c"), QStringLiteral("a、b-c") },
        SanitizeCase { QStringLiteral("\\*?\"<>|"), QStringLiteral("-------") },
        SanitizeCase { QStringLiteral("a\r\nb\x7f"), QStringLiteral("a--b-") },
        SanitizeCase { QString(QStringLiteral("a")) + QChar(0) + u'b', QStringLiteral("a-b") },
        SanitizeCase { QStringLiteral("  x y  "), QStringLiteral("x y") },
        SanitizeCase { QStringLiteral("x. . "), QStringLiteral("x") },
        // Only "." and " " are stripped after the one trim.
        SanitizeCase { QStringLiteral("x\u3000."), QStringLiteral("x\u3000") },
        SanitizeCase { QStringLiteral(".."), QString() },
        SanitizeCase { QStringLiteral(". .hidden"), QStringLiteral("hidden") },
        SanitizeCase { QStringLiteral("\u3000"), QString() }));

bool isValidUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8);
    (void)decoder.decode(bytes);
    return !decoder.hasError();
}

TEST(OrganizeTemplateNameLength, LongFileNameKeepsTheExtensionWithinTheLimit)
{
    const Track track = songWith([](Track &t) { t.title = QString(100, QChar(u'歌')); });
    const QByteArray name = OrganizeTemplate::render(QStringLiteral("{title}"), track, root).fileName();
    EXPECT_LE(name.size(), OrganizeTemplate::maxNameBytes);
    EXPECT_GT(name.size(), OrganizeTemplate::maxNameBytes - 3); // cut no shorter than needed
    EXPECT_TRUE(name.endsWith(".flac"));
    EXPECT_TRUE(isValidUtf8(name));
}

TEST(OrganizeTemplateNameLength, LongFolderIsCutAtACharacterBoundary)
{
    const Track track
        = songWith([](Track &t) { t.artist = QStringLiteral("x") + QString(100, QChar(u'歌')); });
    const FileLocation rendered = OrganizeTemplate::render(QStringLiteral("{artist}/{title}"), track, root);
    const QByteArray folder = rendered.deletingLastPathComponent().fileName();
    EXPECT_EQ(folder.size(), 1 + 84 * 3);
    EXPECT_TRUE(isValidUtf8(folder));
}

TEST(OrganizeTemplateNameLength, NeverSplitsAGraphemeCluster)
{
    // "e" with a combining acute accent is one character of three bytes.
    const QString accented = QStringLiteral("e\u0301");
    const QString name = OrganizeTemplate::fitName(accented.repeated(100), QStringLiteral(".mp3"));
    EXPECT_EQ(name, accented.repeated(83) + QStringLiteral(".mp3"));
}

TEST(OrganizeTemplateNameLength, CutLeavesNoTrailingSpaceOrDot)
{
    const QString stem = QString(249, QChar(u'a')) + QStringLiteral(" .  bcdef");
    EXPECT_EQ(OrganizeTemplate::fitName(stem, QStringLiteral(".flac")), QString(249, QChar(u'a')) + ".flac");
}

} // namespace
