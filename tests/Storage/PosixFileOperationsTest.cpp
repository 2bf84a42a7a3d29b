#include "Storage/FileError.h"
#include "Storage/FileOperations.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class PosixFileOperationsTest : public ::testing::Test
{
protected:
    FileLocation at(const char *name) const { return FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray(name)); }
    void write(const FileLocation &file, const QByteArray &bytes) { ASSERT_TRUE(m_files.writeAtomically(file, bytes)); }
    QByteArray read(const FileLocation &file) { return m_files.readAll(file).value_or("<unreadable>"); }

    QTemporaryDir m_dir;
    FileOperations &m_files = FileOperations::system();
};

} // namespace

TEST_F(PosixFileOperationsTest, CopyNeverOverwritesAndKeepsModeAndTime)
{
    const FileLocation source = at("source.flac");
    write(source, "audio");
    ASSERT_EQ(::chmod(source.cPath(), 0640), 0);
    const struct timespec times[2] = {{1000000000, 5}, {1000000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.cPath(), times, 0), 0);

    const FileLocation copy = at("copy.flac");
    ASSERT_TRUE(m_files.copyFile(source, copy));
    EXPECT_EQ(read(copy), QByteArray("audio"));
    const FileStatus status = *m_files.status(copy);
    EXPECT_EQ(status.mode & 07777, 0640u);
    EXPECT_EQ(status.modified.tv_sec, 1000000000);
    EXPECT_EQ(status.modified.tv_nsec, 123456789);

    write(source, "other");
    const auto again = m_files.copyFile(source, copy);
    ASSERT_FALSE(again);
    EXPECT_EQ(again.error().code, EEXIST);
    EXPECT_EQ(read(copy), QByteArray("audio"));
}

TEST_F(PosixFileOperationsTest, MoveNeverReplacesAnExistingFile)
{
    write(at("a"), "A");
    write(at("b"), "B");
    const auto moved = m_files.moveNoReplace(at("a"), at("b"));
    ASSERT_FALSE(moved);
    EXPECT_EQ(moved.error().code, EEXIST);
    EXPECT_EQ(read(at("a")), QByteArray("A"));
    EXPECT_EQ(read(at("b")), QByteArray("B"));
    ASSERT_TRUE(m_files.moveNoReplace(at("a"), at("c")));
    EXPECT_FALSE(m_files.exists(at("a")));
    EXPECT_EQ(read(at("c")), QByteArray("A"));
}

TEST_F(PosixFileOperationsTest, ReadRefusesLargeFilesFoldersAndFifos)
{
    write(at("big"), QByteArray(100, 'x'));
    EXPECT_EQ(m_files.readAll(at("big"), 99).error().code, EFBIG);
    EXPECT_EQ(m_files.readAll(at("big"), 100)->size(), 100);

    ASSERT_TRUE(m_files.createDirectories(at("folder.lrc")));
    EXPECT_EQ(m_files.readAll(at("folder.lrc")).error().code, EISDIR);

    ASSERT_EQ(::mkfifo(at("pipe.lrc").cPath(), 0600), 0);
    EXPECT_EQ(m_files.readAll(at("pipe.lrc")).error().code, EINVAL); // returns at once, no reader needed
}

TEST_F(PosixFileOperationsTest, CreateDirectoriesFailsOnAFileInThePathAndRemoveTakesWholeFolders)
{
    ASSERT_TRUE(m_files.createDirectories(at("x/y/z")));
    EXPECT_TRUE(m_files.status(at("x/y/z"))->isDirectory);
    write(at("x/blocker"), "");
    const auto created = m_files.createDirectories(at("x/blocker/sub"));
    ASSERT_FALSE(created);
    EXPECT_EQ(created.error().code, ENOTDIR);

    ASSERT_TRUE(m_files.remove(at("x")));
    EXPECT_FALSE(m_files.exists(at("x")));
    EXPECT_EQ(m_files.remove(at("x")).error().code, ENOENT);
}

TEST_F(PosixFileOperationsTest, ALinkedBackupKeepsTheOldContentWhenTheFileIsReplaced)
{
    write(at("data.json"), "old");
    ASSERT_TRUE(m_files.linkOrCopy(at("data.json"), at("data.json.bak")));
    EXPECT_EQ(m_files.linkOrCopy(at("data.json"), at("data.json.bak")).error().code, EEXIST);
    write(at("data.json"), "new"); // written atomically: a new file under the name
    EXPECT_EQ(read(at("data.json.bak")), QByteArray("old"));
    EXPECT_EQ(read(at("data.json")), QByteArray("new"));
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              (QStringList{u"data.json"_qs, u"data.json.bak"_qs})) << "an atomic write leaves no temporary";
}

namespace {

TEST(FileErrorTest, CommonErrorsAreDescribedInChineseWithThePath)
{
    const FileLocation file = FileLocation::fromPath("/music/a.flac");
    const struct
    {
        int code;
        const char16_t *expected;
    } cases[] = {
        {ENOENT, u"文件或文件夹不存在：/music/a.flac"}, {EACCES, u"没有访问权限：/music/a.flac"},
        {ENOSPC, u"磁盘空间不足：/music/a.flac"},       {EROFS, u"文件系统是只读的：/music/a.flac"},
        {EEXIST, u"文件已存在：/music/a.flac"},         {EXDEV, u"不能跨文件系统移动：/music/a.flac"},
        {EIO, u"磁盘读写出错：/music/a.flac"},          {ENAMETOOLONG, u"文件名太长：/music/a.flac"},
    };
    for (const auto &entry : cases)
        EXPECT_EQ(FileError::fromErrno(QStringLiteral("move"), file, entry.code).text(), QString::fromUtf16(entry.expected))
            << entry.code;
    EXPECT_EQ(FileError::fromErrno(QStringLiteral("move"), {}, ENOENT).text(), QStringLiteral("文件或文件夹不存在"));
    // A rare error keeps the operation and the system's wording.
    EXPECT_TRUE(FileError::fromErrno(QStringLiteral("move"), file, ELOOP).text().startsWith(u"move /music/a.flac: "));
}

} // namespace
