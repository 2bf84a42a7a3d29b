#include "Library/ScannedCoverWriter.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

ino_t inodeOf(const FileLocation &file)
{
    struct stat status{};
    return ::stat(file.cPath(), &status) == 0 ? status.st_ino : 0;
}

QByteArray contentOf(const FileLocation &file)
{
    QFile opened(QFile::decodeName(file.path()));
    return opened.open(QIODevice::ReadOnly) ? opened.readAll() : QByteArray();
}

} // namespace

TEST(ScannedCoverWriter, SameBytesShareOneFileAndOtherBytesNeverDo)
{
    QTemporaryDir data;
    ScannedCoverWriter writer(FileLocation::fromLocalFile(data.filePath(QStringLiteral("covers"))), FileOperations::system());
    const QByteArray red(5000, 'r');
    const QByteArray blue(5000, 'b');
    const QList<QByteArray> covers{red, blue, red, blue, QByteArray(10, 'x')};
    QList<FileLocation> files;
    for (const QByteArray &cover : covers) {
        const std::optional<FileLocation> file = writer.write(cover);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(contentOf(*file), cover);
        files.append(*file);
    }
    EXPECT_EQ(QSet<FileLocation>(files.cbegin(), files.cend()).size(), files.size()); // a name each
    EXPECT_EQ(inodeOf(files[0]), inodeOf(files[2]));
    EXPECT_EQ(inodeOf(files[1]), inodeOf(files[3]));
    EXPECT_NE(inodeOf(files[0]), inodeOf(files[1]));
    EXPECT_FALSE(writer.firstError().has_value());
}

TEST(ScannedCoverWriter, ACoversFolderThatCannotBeMadeIsReported)
{
    QTemporaryDir data;
    QFile inTheWay(data.filePath(QStringLiteral("covers")));
    ASSERT_TRUE(inTheWay.open(QIODevice::WriteOnly));
    ScannedCoverWriter writer(FileLocation::fromLocalFile(inTheWay.fileName()), FileOperations::system());
    EXPECT_FALSE(writer.write("cover").has_value());
    EXPECT_TRUE(writer.firstError().has_value());
}
