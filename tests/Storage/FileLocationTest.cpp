#include "Storage/FileLocation.h"
#include "Storage/TextDecoding.h"

#include <QStringEncoder>

#include <gtest/gtest.h>

namespace {

TEST(FileLocation, UrlTextRoundTripsEveryNameAndOnlyFileUrlsAreAccepted)
{
    for (const QByteArray &path : {QByteArray("/music/a b/#1 ?what% 100&more+x.mp3"), QByteArray("/音乐/周杰伦/晴天.flac"),
                                   QByteArray("/gbk/\xc7\xe7\xcc\xec.mp3")}) { // GBK bytes, not UTF-8
        const FileLocation location = FileLocation::fromPath(path);
        EXPECT_EQ(FileLocation::fromUrlText(location.urlText()).value_or(FileLocation()).path(), path)
            << location.urlText().toStdString();
    }
    EXPECT_EQ(FileLocation::fromPath("/a b/c#d").urlText(), u"file:///a%20b/c%23d"_qs);
    for (const char16_t *bad : {u"http://example.com/a.mp3", u"file:relative.mp3", u"file:///bad%zz", u"file:///nul%00byte"})
        EXPECT_FALSE(FileLocation::fromUrlText(bad).has_value()) << QString::fromUtf16(bad).toStdString();
    EXPECT_EQ(FileLocation::fromUrlText(u"file://localhost/x/y")->path(), QByteArray("/x/y"));
    EXPECT_EQ(FileLocation::fromUrlText(u"file:///音乐/x")->path(), QByteArray("/音乐/x"));
}

TEST(FileLocation, StandardizesLexicallyAndLiesUnderAFolderOnlyPastASlash)
{
    const std::pair<const char *, const char *> cleaned[] = {
        {"/a//b/./c/", "/a/b/c"}, {"/a/b/../c", "/a/c"}, {"/../../x", "/x"}, {"/", "/"}, {"/a/b/..", "/a"},
        {"/a/.", "/a"}, {"/a/..b/.c/c.", "/a/..b/.c/c."}}; // dots inside names stay
    for (const auto &[path, clean] : cleaned)
        EXPECT_EQ(FileLocation::fromPath(path).standardized().path(), QByteArray(clean)) << path;

    const FileLocation folder = FileLocation::fromPath("/music/pop/");
    EXPECT_TRUE(FileLocation::fromPath("/music/pop/a.mp3").isUnder(folder));
    EXPECT_TRUE(FileLocation::fromPath("/music/./pop//x/a.mp3").isUnder(folder));
    EXPECT_FALSE(FileLocation::fromPath("/music/popular/a.mp3").isUnder(folder));
    EXPECT_FALSE(FileLocation::fromPath("/music/pop").isUnder(folder));
    EXPECT_TRUE(FileLocation::fromPath("/a").isUnder(FileLocation::fromPath("/")));
}

TEST(FileLocation, NamesAndExtensions)
{
    const FileLocation song = FileLocation::fromPath("/m/Artist - Song.Live.FLAC");
    EXPECT_EQ(song.fileName(), QByteArray("Artist - Song.Live.FLAC"));
    EXPECT_EQ(song.pathExtension(), u"FLAC"_qs);
    EXPECT_EQ(song.deletingPathExtension().path(), QByteArray("/m/Artist - Song.Live"));
    EXPECT_EQ(song.deletingLastPathComponent().path(), QByteArray("/m"));
    // A name that only starts with a dot has no extension.
    const FileLocation hidden = FileLocation::fromPath("/m/.mp3");
    EXPECT_TRUE(hidden.pathExtension().isEmpty());
    EXPECT_EQ(hidden.deletingPathExtension().fileName(), QByteArray(".mp3"));
    EXPECT_EQ(FileLocation::fromPath("/m").appending(u"晴天.mp3"_qs).path(), QByteArray("/m/晴天.mp3"));
}

TEST(TextDecodingTest, ReadsTextInTheEncodingItWasWrittenInAndRefusesWhatNoneReadsCleanly)
{
    const std::pair<const char *, QString> cases[] = {
        {"UTF-8", u"[00:01.00]晴天"_qs},
        {"GB18030", u"[00:01.00]故事的小黄花\n[00:05.00]从出生那年就飘着\n"_qs},
        {"GB18030", u"晴天 - 周杰伦.ape"_qs},
        {"Big5", u"[00:01.00]故事的小黃花\n[00:05.00]從出生那年就飄著\n[00:09.00]童年的蕩鞦韆\n[00:13.00]隨記憶一直晃到現在\n"_qs},
        {"Shift_JIS",
         u"[00:01.00]ありがとうって伝えたくて\n[00:05.00]あなたを見つめるけど\n[00:09.00]繋がれた右手は誰よりも優しく\n"_qs},
        {"EUC-KR", u"[00:01.00]사랑해요 당신을 정말로 사랑해요\n[00:05.00]오늘도 나는 당신을 생각합니다\n"_qs},
        {"windows-1251", u"[00:01.00]Я помню чудное мгновенье\n[00:05.00]Передо мной явилась ты\n"_qs},
    };
    for (const auto &[encoding, text] : cases)
        EXPECT_EQ(TextDecoding::decode(QByteArray(QStringEncoder(encoding).encode(text))), text) << encoding;
    // Readable in no encoding: every reading fails or holds control or replacement characters.
    EXPECT_EQ(TextDecoding::decode("\x81 \x8D \x90"), std::nullopt);
    EXPECT_EQ(TextDecoding::decode("\x81\x81\x81 \x81"), std::nullopt);
    EXPECT_EQ(TextDecoding::displayText("ok"), u"ok"_qs);
}

} // namespace
