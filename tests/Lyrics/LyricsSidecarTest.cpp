#include "Lyrics/LyricsSidecar.h"

#include <QDir>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class LyricsSidecarTest : public ::testing::Test
{
protected:
    FileLocation location(const QByteArray &name) const
    {
        return FileLocation::fromLocalFile(m_root.path()).appending(name);
    }

    void touch(const QByteArray &name) const
    {
        // Raw bytes: names need not be UTF-8.
        const int fd = ::open(location(name).cPath(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }

    std::optional<QByteArray> findFor(const QByteArray &audioName) const
    {
        Track track;
        track.url = location(audioName);
        const std::optional<FileLocation> found = LyricsSidecar::find(track);
        if (!found)
            return std::nullopt;
        EXPECT_EQ(found->deletingLastPathComponent(), location(audioName).deletingLastPathComponent());
        return found->fileName();
    }

    QTemporaryDir m_root;
};

struct MatchCase
{
    const char *audio;
    QList<const char *> files;
    const char *expected; // nullptr: no sidecar
};

class SidecarMatchTest : public LyricsSidecarTest, public ::testing::WithParamInterface<MatchCase>
{
};

TEST_P(SidecarMatchTest, ChoosesTheFileAListenerExpects)
{
    for (const char *name : GetParam().files)
        touch(name);
    const std::optional<QByteArray> found = findFor(GetParam().audio);
    if (GetParam().expected)
        EXPECT_EQ(found, QByteArray(GetParam().expected));
    else
        EXPECT_EQ(found, std::nullopt);
}

INSTANTIATE_TEST_SUITE_P(Names, SidecarMatchTest,
    ::testing::Values(MatchCase { "Song.mp3", { "song.LRC", "Song.lrc" }, "Song.lrc" },
        MatchCase { "Song (Live).flac", { "Song.lrc" }, "Song.lrc" },
        MatchCase { "Song.flac", { "Song [Live].lrc" }, "Song [Live].lrc" },
        MatchCase { "Song.flac", { "Song (Live】.lrc" }, "Song (Live】.lrc" },
        MatchCase { "A.mp3", { "A (1).lrc", "A.lrc" }, "A.lrc" },
        MatchCase { "A.mp3", { "A [y].lrc", "A (x).lrc" }, "A (x).lrc" },
        MatchCase { "[01].mp3", { "01.lrc" }, nullptr }, MatchCase { "[01].mp3", { "[01].lrc" }, "[01].lrc" },
        MatchCase { "My Song.mp3", { "mysong.lrc" }, "mysong.lrc" },
        MatchCase { "My Song.mp3", { "MY  SONG.lrc" }, "MY  SONG.lrc" },
        MatchCase { "My Song.mp3", { "My-Song.lrc" }, nullptr },
        MatchCase { "Café.mp3", { "Cafe.lrc" }, nullptr },
        MatchCase { "Café.mp3", { "CAFÉ.lrc" }, "CAFÉ.lrc" },
        MatchCase { "Café.mp3", { "Cafe\xCC\x81.lrc" }, "Cafe\xCC\x81.lrc" }, // decomposed é
        MatchCase { "song.mp3", { "ＳＯＮＧ.lrc" }, "ＳＯＮＧ.lrc" }, // full-width letters
        MatchCase { "晴天.mp3", { "晴天　.lrc" }, "晴天　.lrc" }, // ideographic space
        MatchCase { "晴天（现场）.mp3", { "晴天.lrc" }, "晴天.lrc" },
        MatchCase { "Song.mp3", { "Other.lrc", "Song.txt" }, nullptr },
        MatchCase { "Song.mp3", { ".Song.lrc" }, nullptr }));

TEST_F(LyricsSidecarTest, SubFoldersAreNotSearched)
{
    ASSERT_TRUE(QDir(m_root.path()).mkpath(u"sub"_qs));
    touch("sub/Song.lrc");
    EXPECT_EQ(findFor("Song.mp3"), std::nullopt);
}

TEST_F(LyricsSidecarTest, FolderNamedLikeASidecarNeverWins)
{
    ASSERT_TRUE(QDir(m_root.path()).mkpath(u"Song.lrc"_qs));
    touch("song.lrc");
    EXPECT_EQ(findFor("Song.mp3"), QByteArray("song.lrc"));
}

TEST_F(LyricsSidecarTest, FifoIsSkippedWithoutBlocking)
{
    ASSERT_EQ(::mkfifo(location("Song.lrc").cPath(), 0600), 0);
    touch("song.lrc");
    EXPECT_EQ(findFor("Song.mp3"), QByteArray("song.lrc"));
}

TEST_F(LyricsSidecarTest, LinkCountsByWhatItPointsTo)
{
    touch("target.txt");
    ASSERT_EQ(::symlink("target.txt", location("Song.lrc").cPath()), 0);
    EXPECT_EQ(findFor("Song.mp3"), QByteArray("Song.lrc"));
    ASSERT_EQ(::symlink("nowhere", location("Other.lrc").cPath()), 0);
    EXPECT_EQ(findFor("Other.mp3"), std::nullopt);
}

TEST_F(LyricsSidecarTest, NamesInGb18030Match)
{
    QStringEncoder encoder("GB18030");
    const QByteArray audio = encoder.encode(u"晴天.mp3"_qs);
    const QByteArray sidecar = encoder.encode(u"晴天.LRC"_qs);
    touch(sidecar);
    touch(encoder.encode(u"雨天.lrc"_qs));
    EXPECT_EQ(findFor(audio), sidecar);
}

TEST_F(LyricsSidecarTest, FolderThatCannotBeListedGivesNothing)
{
    EXPECT_EQ(findFor("missing/Song.mp3"), std::nullopt);
    touch("file");
    EXPECT_EQ(findFor("file/Song.mp3"), std::nullopt);
}

} // namespace
