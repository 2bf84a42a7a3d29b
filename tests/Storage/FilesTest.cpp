#include "Storage/FileError.h"
#include "Storage/FileLocation.h"
#include "Storage/FileOperations.h"
#include "Storage/TextDecoding.h"

#include <QDir>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

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
    // A name that only starts with a dot has no extension.
    const FileLocation hidden = FileLocation::fromPath("/m/.mp3");
    EXPECT_TRUE(hidden.pathExtension().isEmpty());
    EXPECT_EQ(hidden.deletingPathExtension().fileName(), QByteArray(".mp3"));
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

class PosixFileOperationsTest : public ::testing::Test
{
protected:
    FileLocation at(const char *name) const { return FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray(name)); }
    void write(const char *name, const QByteArray &bytes) { ASSERT_TRUE(m_files.writeAtomically(at(name), bytes)); }
    QByteArray read(const char *name) { return m_files.readAll(at(name)).value_or("<unreadable>"); }
    template <typename Outcome>
    static int error(const Outcome &outcome) { return outcome ? 0 : outcome.error().code; }

    QTemporaryDir m_dir;
    FileOperations &m_files = FileOperations::system();
};

// That a copy keeps mode and time is checked where files are organized (OrganizeTest).
TEST_F(PosixFileOperationsTest, CopyAndMoveNeverOverwrite)
{
    write("source.flac", "audio");
    ASSERT_TRUE(m_files.copyFile(at("source.flac"), at("copy.flac")));
    EXPECT_EQ(read("copy.flac"), QByteArray("audio"));
    write("source.flac", "other");
    EXPECT_EQ(error(m_files.copyFile(at("source.flac"), at("copy.flac"))), EEXIST);
    EXPECT_EQ(read("copy.flac"), QByteArray("audio"));

    EXPECT_EQ(error(m_files.moveNoReplace(at("source.flac"), at("copy.flac"))), EEXIST);
    EXPECT_EQ(read("source.flac"), QByteArray("other"));
    ASSERT_TRUE(m_files.moveNoReplace(at("source.flac"), at("moved.flac")));
    EXPECT_FALSE(m_files.exists(at("source.flac")));
    EXPECT_EQ(read("moved.flac"), QByteArray("other"));
}

TEST_F(PosixFileOperationsTest, ReadRefusesLargeFilesFoldersAndFifos)
{
    write("big", QByteArray(100, 'x'));
    EXPECT_EQ(error(m_files.readAll(at("big"), 99)), EFBIG);
    EXPECT_EQ(m_files.readAll(at("big"), 100)->size(), 100);
    ASSERT_TRUE(m_files.createDirectories(at("folder.lrc")));
    EXPECT_EQ(error(m_files.readAll(at("folder.lrc"))), EISDIR);
    ASSERT_EQ(::mkfifo(at("pipe.lrc").cPath(), 0600), 0);
    EXPECT_EQ(error(m_files.readAll(at("pipe.lrc"))), EINVAL); // returns at once, no reader needed
}

// A file in the way of a folder is met by the stores' tests (ENOTDIR).
TEST_F(PosixFileOperationsTest, CreateDirectoriesMakesEveryLevelAndRemoveTakesWholeFolders)
{
    ASSERT_TRUE(m_files.createDirectories(at("x/y/z")));
    EXPECT_TRUE(m_files.status(at("x/y/z"))->isDirectory);
    write("x/y/file", "");
    ASSERT_TRUE(m_files.remove(at("x")));
    EXPECT_FALSE(m_files.exists(at("x")));
    EXPECT_EQ(error(m_files.remove(at("x"))), ENOENT);
}

TEST_F(PosixFileOperationsTest, ALinkedBackupKeepsTheOldContentWhenTheFileIsReplaced)
{
    write("data.json", "old");
    ASSERT_TRUE(m_files.linkOrCopy(at("data.json"), at("data.json.bak")));
    EXPECT_EQ(error(m_files.linkOrCopy(at("data.json"), at("data.json.bak"))), EEXIST);
    write("data.json", "new"); // written atomically: a new file under the name
    EXPECT_EQ(read("data.json.bak"), QByteArray("old"));
    EXPECT_EQ(read("data.json"), QByteArray("new"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{u"data.json"_qs, u"data.json.bak"_qs})) << "an atomic write leaves no temporary";
}

TEST(FileErrorTest, CommonErrorsAreDescribedInChineseWithThePath)
{
    const std::pair<int, const char16_t *> cases[] = {
        {ENOENT, u"文件或文件夹不存在"}, {EACCES, u"没有访问权限"}, {ENOSPC, u"磁盘空间不足"}, {EROFS, u"文件系统是只读的"},
        {EEXIST, u"文件已存在"}, {EXDEV, u"不能跨文件系统移动"}, {EIO, u"磁盘读写出错"}, {ENAMETOOLONG, u"文件名太长"}};
    const FileLocation file = FileLocation::fromPath("/music/a.flac");
    for (const auto &[code, text] : cases)
        EXPECT_EQ(FileError::fromErrno(u"move"_qs, file, code).text(), QString::fromUtf16(text) + u"：/music/a.flac"_qs) << code;
    EXPECT_EQ(FileError::fromErrno(u"move"_qs, {}, ENOENT).text(), u"文件或文件夹不存在"_qs);
    // A rare error is named by its number; the system's English wording only reaches the log.
    EXPECT_EQ(FileError::fromErrno(u"move"_qs, file, ELOOP).text(), u"文件操作失败（错误 %1）：/music/a.flac"_qs.arg(ELOOP));
    EXPECT_EQ(FileError::withDetail(u"encode lyrics"_qs, file, u"bad text"_qs).text(), u"文件操作失败：/music/a.flac"_qs);
}

} // namespace
