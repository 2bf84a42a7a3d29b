#include "Storage/FileTime.h"
#include "Transcode/TranscodeCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Seconds since 2001 (as tracks store dates) of a time given in seconds since 1970.
double referenceSeconds(double unixSeconds)
{
    return unixSeconds - double(FileTime::referenceEpochOffset);
}

QString firstHalfOfSha256(const QByteArray &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text, QCryptographicHash::Sha256).toHex().left(32));
}

TEST(TranscodeCacheKeyTest, KnownFileGivesItsKnownKey)
{
    // sha256("/music/a.ogg|1234|978307200000|1"), computed independently.
    EXPECT_EQ(TranscodeCache::key(FileLocation::fromPath("/music/a.ogg"), 1234, 0.0, 1),
              QStringLiteral("5692534de3780a0dcf01c0b1388484c0"));
}

struct MillisecondsCase
{
    double unixSeconds;
    const char *milliseconds;
};

class TranscodeCacheMillisecondsTest : public ::testing::TestWithParam<MillisecondsCase>
{
};

TEST_P(TranscodeCacheMillisecondsTest, RoundsToWholeMillisecondsHalvesAwayFromZero)
{
    const QString expected = firstHalfOfSha256(QByteArray("/a.ape|10|") + GetParam().milliseconds + "|1");

    EXPECT_EQ(TranscodeCache::key(FileLocation::fromPath("/a.ape"), 10, referenceSeconds(GetParam().unixSeconds), 1),
              expected);
}

INSTANTIATE_TEST_SUITE_P(Dates, TranscodeCacheMillisecondsTest,
                         ::testing::Values(MillisecondsCase{0.0625, "63"}, MillisecondsCase{-0.0625, "-63"},
                                           MillisecondsCase{0.0, "0"}, MillisecondsCase{1700000000.25, "1700000000250"},
                                           MillisecondsCase{1700000000.0004, "1700000000000"}));

TEST(TranscodeCacheKeyTest, EveryPartOfTheFileIdentityChangesTheKey)
{
    const FileLocation file = FileLocation::fromPath("/music/歌.wv");
    const QString key = TranscodeCache::key(file, 5000, 700000000.0, 1);

    EXPECT_EQ(TranscodeCache::key(file, 5000, 700000000.0, 1), key);
    EXPECT_EQ(key.size(), 32);
    EXPECT_NE(TranscodeCache::key(file, 5001, 700000000.0, 1), key);
    EXPECT_NE(TranscodeCache::key(file, 5000, 700000000.001, 1), key);
    EXPECT_NE(TranscodeCache::key(file, 5000, 700000000.0, 2), key);
    EXPECT_NE(TranscodeCache::key(FileLocation::fromPath("/music/歌2.wv"), 5000, 700000000.0, 1), key);
}

TEST(TranscodeCacheKeyTest, SpellingsOfOnePathShareOneKey)
{
    const QString key = TranscodeCache::key(FileLocation::fromPath("/music/a/b.tta"), 1, 2.0, 1);

    for (const char *spelling : {"/music/./a/b.tta", "/music//a/b.tta", "/music/x/../a/b.tta", "//music/a/./b.tta"})
        EXPECT_EQ(TranscodeCache::key(FileLocation::fromPath(spelling), 1, 2.0, 1), key) << spelling;
}

TEST(TranscodeCacheKeyTest, CacheEntryIsTheKeyAndM4aInsideTheRoot)
{
    Track first;
    first.url = FileLocation::fromPath("/music/a.opus");
    first.fileSize = 42;
    first.modifiedAt = 123.5;
    Track second = first;
    second.id = QUuid::createUuid();
    second.title = QStringLiteral("another record of the same file");
    const FileLocation root = FileLocation::fromPath("/data/transcode");

    const FileLocation entry = TranscodeCache::cacheURL(first, root);

    EXPECT_EQ(entry.deletingLastPathComponent(), root);
    EXPECT_EQ(entry.fileName().size(), 36);
    EXPECT_EQ(entry.fileName(), TranscodeCache::key(first.url, 42, 123.5, TranscodeCache::version).toLatin1() + ".m4a");
    EXPECT_EQ(TranscodeCache::cacheURL(second, root), entry);
}

class TranscodeCacheSizeTest : public ::testing::Test
{
protected:
    void file(const QString &relative, qsizetype size) const
    {
        const QString path = QDir(root.path()).filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        QFile out(path);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(QByteArray(size, 'x'));
    }
    qint64 size() const { return TranscodeCache::directorySize(FileLocation::fromLocalFile(root.path())); }

    QTemporaryDir root;
};

TEST_F(TranscodeCacheSizeTest, CountsRegularFilesAtEveryDepth)
{
    file(QStringLiteral("a.m4a"), 100);
    file(QStringLiteral("sub/b.m4a"), 20);
    file(QStringLiteral("sub/deeper/c.m4a"), 3);

    EXPECT_EQ(size(), 123);
}

TEST_F(TranscodeCacheSizeTest, LeavesOutHiddenItemsLinksAndEmptyFolders)
{
    file(QStringLiteral(".hidden.m4a"), 100);
    file(QStringLiteral(".hidden/inside.m4a"), 100);
    QDir(root.path()).mkpath(QStringLiteral("empty/nested"));
    QFile::link(QStringLiteral("/usr/bin/ffmpeg"), QDir(root.path()).filePath(QStringLiteral("link")));

    EXPECT_EQ(size(), 0);
}

// Folders that cannot be opened are passed over wherever the listing meets them. Root opens any
// folder whatever its mode, so a child process runs out of descriptors instead: three folders deep
// is as far as it can open.
TEST_F(TranscodeCacheSizeTest, UnopenableFoldersArePassedOver)
{
    for (int i = 0; i < 6; ++i) {
        const QString folder = QStringLiteral("f%1/").arg(i);
        file(folder + QStringLiteral("a.m4a"), 10);
        file(folder + QStringLiteral("deep/1/2/out-of-reach.m4a"), 1000);
    }
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const int lowestFree = ::dup(0);
        ::close(lowestFree);
        const rlimit limit{rlim_t(lowestFree + 3), rlim_t(lowestFree + 3)};
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0)
            ::_exit(2);
        const qint64 measured = size();
        ::_exit(::write(channel[1], &measured, sizeof measured) == sizeof measured ? 0 : 3);
    }
    ::close(channel[1]);
    qint64 measured = -1;
    EXPECT_EQ(::read(channel[0], &measured, sizeof measured), ssize_t(sizeof measured));
    ::close(channel[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(measured, 60);
}

TEST_F(TranscodeCacheSizeTest, MissingFolderMeasuresZero)
{
    EXPECT_EQ(TranscodeCache::directorySize(FileLocation::fromLocalFile(root.path() + QStringLiteral("/missing"))), 0);
}

} // namespace
