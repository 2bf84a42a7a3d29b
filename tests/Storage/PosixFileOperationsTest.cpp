#include "Storage/FileError.h"
#include "Storage/FileOperations.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

TEST_F(PosixFileOperationsTest, CreateDirectoriesFailsOnAFileInThePathAndRemoveTakesWholeFolders)
{
    ASSERT_TRUE(m_files.createDirectories(at("x/y/z")));
    EXPECT_TRUE(m_files.status(at("x/y/z"))->isDirectory);
    write("x/blocker", "");
    EXPECT_EQ(error(m_files.createDirectories(at("x/blocker/sub"))), ENOTDIR);
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
    // A rare error keeps the operation and the system's wording.
    EXPECT_TRUE(FileError::fromErrno(u"move"_qs, file, ELOOP).text().startsWith(u"move /music/a.flac: "));
}

} // namespace
