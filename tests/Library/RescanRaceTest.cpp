#include "FakeCoverReader.h"
#include "Library/LibraryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QSemaphore>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

// Reads every file as audio without tags; the first read of `heldPath` waits until the test lets
// it go, so that the test can act at that point. The scan reads native formats; fallback formats
// are read for their covers only, once the scan is over.
class HoldingReader final : public MetadataReading
{
public:
    explicit HoldingReader(QByteArray heldPath) : m_heldPath(std::move(heldPath)) {}

    std::optional<AudioMetadata> read(const FileLocation &url) const override
    {
        AudioMetadata metadata;
        metadata.duration = 1;
        if (url.path() == m_heldPath) {
            metadata.artworkData = QByteArray("cover");
            if (++m_reads == 1) {
                reached.release();
                released.acquire();
            }
        }
        return metadata;
    }

    mutable QSemaphore reached;
    mutable QSemaphore released;

private:
    QByteArray m_heldPath;
    mutable std::atomic<int> m_reads = 0;
};

enum class Change { RenameFolder, RepointAfterTheFilesMoved };
enum class HoldPoint { Scan, Covers };

struct RaceCase
{
    const char *name;
    Change change;
    HoldPoint hold;
};

void PrintTo(const RaceCase &race, std::ostream *out)
{
    *out << race.name;
}

class RescanRaceTest : public ::testing::TestWithParam<RaceCase>
{
protected:
    FileLocation music(const QByteArray &relative) const
    {
        return FileLocation::fromLocalFile(m_music.path()).appending(relative);
    }
    void write(const QByteArray &relative, const QByteArray &content)
    {
        QDir().mkpath(QFileInfo(QString::fromUtf8(music(relative).path())).path());
        QFile file(QString::fromUtf8(music(relative).path()));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    QTemporaryDir m_data;
    QTemporaryDir m_music;
    LibraryStore m_store{FileLocation::fromLocalFile(m_data.path()).appending(QByteArray("Quillmere"))};
};

TEST_P(RescanRaceTest, NoTrackWhoseFileStillExistsVanishes)
{
    constexpr int count = 20;
    for (int i = 0; i < count; ++i)
        write("sub/" + QByteArray::number(i) + ".mp3", "same size");
    const QByteArray newFile = GetParam().hold == HoldPoint::Scan ? "new.mp3" : "new.ogg";
    auto reader = std::make_shared<HoldingReader>(music(newFile).path());
    ASSERT_TRUE(waitFor(m_store.addFolder(music({}), reader)));
    const QList<Track> before = m_store.index().tracks;
    ASSERT_EQ(before.size(), count);
    write(newFile, "a new file with a cover");

    const bool movedFirst = GetParam().change == Change::RepointAfterTheFilesMoved;
    if (movedFirst) {
        ASSERT_EQ(std::rename(music("sub").cPath(), music("sub2").cPath()), 0);
    }
    QFuture<void> rescan = m_store.rescan(reader);
    while (!reader->reached.tryAcquire())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (movedFirst) {
        QHash<FileLocation, FileLocation> moves;
        for (int i = 0; i < count; ++i)
            moves.insert(music("sub/" + QByteArray::number(i) + ".mp3"), music("sub2/" + QByteArray::number(i) + ".mp3"));
        m_store.updateTrackURLs(moves);
    } else {
        ASSERT_TRUE(m_store.renameFolder(music("sub"), QStringLiteral("sub2")));
    }
    reader->released.release();
    ASSERT_TRUE(waitFor(rescan));

    LibraryStore reloaded(FileLocation::fromLocalFile(m_data.path()).appending(QByteArray("Quillmere")));
    reloaded.load();
    EXPECT_EQ(reloaded.index().tracks, m_store.index().tracks);
    ASSERT_EQ(m_store.index().tracks.size(), count + 1);
    for (const Track &track : before) {
        const auto kept = std::ranges::find(m_store.index().tracks, track.id, &Track::id);
        ASSERT_NE(kept, m_store.index().tracks.end()) << track.url.path().constData();
        EXPECT_EQ(kept->url, music("sub2").appending(track.url.fileName()));
        EXPECT_FALSE(kept->isMissing);
    }
}

INSTANTIATE_TEST_SUITE_P(Interleavings, RescanRaceTest,
                         ::testing::Values(RaceCase{"RenamedAfterTheWalk", Change::RenameFolder, HoldPoint::Scan},
                                           RaceCase{"RenamedWhileCoversAreRead", Change::RenameFolder, HoldPoint::Covers},
                                           RaceCase{"MovedBeforeTheWalkRepointedDuringIt",
                                                    Change::RepointAfterTheFilesMoved, HoldPoint::Scan},
                                           RaceCase{"MovedBeforeTheWalkRepointedWhileCoversAreRead",
                                                    Change::RepointAfterTheFilesMoved, HoldPoint::Covers}),
                         [](const ::testing::TestParamInfo<RaceCase> &info) { return std::string(info.param.name); });

} // namespace
