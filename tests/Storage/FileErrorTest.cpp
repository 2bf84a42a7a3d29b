#include "Storage/FileError.h"

#include <cerrno>

#include <gtest/gtest.h>

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
