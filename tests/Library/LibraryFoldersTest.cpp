#include "AudioFixture.h"
#include "FakeCoverReader.h"
#include "FaultInjectingFileOperations.h"
#include "Library/AudioFormatSupport.h"
#include "Library/FolderCoverage.h"
#include "Library/LibraryStore.h"
#include "Library/TagLibMetadataReader.h"
#include "Library/TrackFactory.h"
#include "Storage/JsonFields.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdio>
#include <sys/stat.h>

namespace {

// A library store over a temporary data folder, with a music folder of real audio files.
class LibraryFoldersTest : public ::testing::Test
{
protected:
    FileLocation music(const QByteArray &relative = {}) const
    {
        const FileLocation root = FileLocation::fromLocalFile(m_music.path());
        return relative.isEmpty() ? root : root.appending(relative);
    }
    QString musicPath(const QString &relative) const { return m_music.path() + u'/' + relative; }

    void tone(const QString &relative, double seconds = 0.4)
    {
        const QString folder = QFileInfo(musicPath(relative)).path();
        QDir().mkpath(folder);
        ASSERT_FALSE(AudioFixture::makeTone(folder, QFileInfo(relative).fileName(), seconds).isEmpty());
    }

    const Track *trackAt(const QByteArray &relative) const
    {
        for (const Track &track : m_store.index().tracks) {
            if (track.url == music(relative))
                return &track;
        }
        return nullptr;
    }

    void importMusic()
    {
        ASSERT_TRUE(waitFor(m_store.addFolder(music(), m_reader)));
    }

    QTemporaryDir m_data;
    QTemporaryDir m_music;
    FaultInjectingFileOperations m_files;
    LibraryStore m_store{FileLocation::fromLocalFile(m_data.path()).appending(QByteArray("Quillmere")), m_files};
    std::shared_ptr<const MetadataReading> m_reader = std::make_shared<TagLibMetadataReader>();
};

} // namespace

TEST_F(LibraryFoldersTest, ImportListsTheFolderOnceAndReadsItsFiles)
{
    tone(QStringLiteral("A/one.flac"));
    tone(QStringLiteral("A/two.mp3"));
    importMusic();
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A/./"), m_reader)));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A"), m_reader)));
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music(), music("A")}));
    ASSERT_EQ(m_store.index().tracks.size(), 2);
    EXPECT_NEAR(trackAt("A/one.flac")->duration, 0.4, 0.05);
    EXPECT_EQ(trackAt("A/two.mp3")->title, QStringLiteral("two"));

    LibraryStore reloaded(FileLocation::fromLocalFile(m_data.path()).appending(QByteArray("Quillmere")));
    reloaded.load();
    EXPECT_EQ(reloaded.index().tracks, m_store.index().tracks);
    EXPECT_EQ(reloaded.index().folders, m_store.index().folders);

    // A scoped rescan of a folder that is not in the library does nothing.
    const int writes = m_files.calls(FileOperations::Operation::WriteAtomically);
    ASSERT_TRUE(waitFor(m_store.rescan(music("elsewhere"), m_reader)));
    EXPECT_EQ(m_files.calls(FileOperations::Operation::WriteAtomically), writes);
}

TEST_F(LibraryFoldersTest, RescanKeepsIdentityOfMovedAndRewrittenFilesAndFlagsVanishedOnes)
{
    tone(QStringLiteral("moved.flac"));
    tone(QStringLiteral("rewritten.flac"));
    tone(QStringLiteral("vanished.flac"), 0.7);
    importMusic();
    const QUuid movedID = trackAt("moved.flac")->id;
    const QUuid rewrittenID = trackAt("rewritten.flac")->id;
    const QUuid vanishedID = trackAt("vanished.flac")->id;

    QDir().mkpath(musicPath(QStringLiteral("sub")));
    ASSERT_TRUE(QFile::rename(musicPath(QStringLiteral("moved.flac")), musicPath(QStringLiteral("sub/moved.flac"))));
    tone(QStringLiteral("rewritten.flac"), 1.2);
    ASSERT_TRUE(QFile::remove(musicPath(QStringLiteral("vanished.flac"))));
    ASSERT_TRUE(waitFor(m_store.rescan(m_reader)));

    ASSERT_EQ(m_store.index().tracks.size(), 3);
    EXPECT_EQ(trackAt("sub/moved.flac")->id, movedID);
    EXPECT_EQ(trackAt("rewritten.flac")->id, rewrittenID);
    EXPECT_NEAR(trackAt("rewritten.flac")->duration, 1.2, 0.05);
    EXPECT_TRUE(trackAt("vanished.flac")->isMissing);

    // Back at its stored path: the same track again, unflagged.
    tone(QStringLiteral("vanished.flac"), 0.7);
    ASSERT_TRUE(waitFor(m_store.rescan(m_reader)));
    EXPECT_EQ(m_store.index().tracks.size(), 3);
    EXPECT_EQ(trackAt("vanished.flac")->id, vanishedID);
    EXPECT_FALSE(trackAt("vanished.flac")->isMissing);
}

TEST_F(LibraryFoldersTest, TracksRemovedOrEditedDuringARescanStayAsTheUserLeftThem)
{
    tone(QStringLiteral("a.flac"));
    tone(QStringLiteral("b.flac"));
    importMusic();
    Track edited = *trackAt("a.flac");
    const QUuid removedID = trackAt("b.flac")->id;

    QFuture<void> rescan = m_store.rescan(m_reader);
    edited.title = QStringLiteral("edited while scanning");
    ASSERT_TRUE(m_store.updateTrack(edited));
    m_store.removeTrack(removedID);
    ASSERT_TRUE(waitFor(rescan));

    ASSERT_EQ(m_store.index().tracks.size(), 1);
    EXPECT_EQ(m_store.index().tracks.first(), edited);
}

TEST_F(LibraryFoldersTest, ARescanOfOneFolderLeavesTheOtherFoldersAlone)
{
    for (const char *name : {"A/a.mp3", "B/b.mp3"}) {
        ASSERT_TRUE(FileOperations::system().createDirectories(music(name).deletingLastPathComponent()));
        ASSERT_TRUE(FileOperations::system().writeAtomically(music(name), "audio"));
    }
    const auto reader = std::make_shared<FakeCoverReader>(QHash<QByteArray, QByteArray>{});
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A"), reader)));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("B"), reader)));
    ASSERT_TRUE(QFile::remove(musicPath(QStringLiteral("A/a.mp3"))));
    ASSERT_TRUE(QFile::remove(musicPath(QStringLiteral("B/b.mp3"))));

    ASSERT_TRUE(waitFor(m_store.rescan(music("A"), reader)));
    EXPECT_TRUE(trackAt("A/a.mp3")->isMissing);
    EXPECT_FALSE(trackAt("B/b.mp3")->isMissing);
    ASSERT_TRUE(waitFor(m_store.rescan(reader)));
    EXPECT_TRUE(trackAt("B/b.mp3")->isMissing);
}

TEST_F(LibraryFoldersTest, RenameRefusesBadNamesAndExistingDestinationsWithoutTouchingTheDisk)
{
    QDir().mkpath(musicPath(QStringLiteral("A")));
    QDir().mkpath(musicPath(QStringLiteral("B")));
    const QStringList invalid{QString(), QStringLiteral("   "), QStringLiteral("."), QStringLiteral(".."),
                              QStringLiteral("a/b"), QStringLiteral("a:b"), QStringLiteral("a") + QChar(0) + u'b'};
    for (const QString &name : invalid) {
        const auto renamed = m_store.renameFolder(music("A"), name);
        ASSERT_FALSE(renamed);
        EXPECT_EQ(std::get<FolderRenameError>(renamed.error()).kind, FolderRenameError::Kind::InvalidName);
    }
    for (const QString &name : {QStringLiteral(" B\n"), QStringLiteral("A")}) {
        const auto renamed = m_store.renameFolder(music("A"), name);
        ASSERT_FALSE(renamed);
        EXPECT_EQ(LibraryStore::describe(renamed.error()),
                  QStringLiteral("已存在同名文件夹：%1。").arg(name.trimmed()));
    }
    EXPECT_TRUE(QFileInfo(musicPath(QStringLiteral("A"))).isDir());
}

TEST_F(LibraryFoldersTest, RenameAndRemovalTakeTheFolderAndWhatIsBelowItButNoSiblingSharingItsName)
{
    tone(QStringLiteral("A/x/y.flac"));
    tone(QStringLiteral("AB/z.flac"));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A"), m_reader)));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A/x"), m_reader)));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("AB"), m_reader)));
    const QUuid id = trackAt("A/x/y.flac")->id;

    const auto renamed = m_store.renameFolder(music("A"), QStringLiteral(" ABC "));
    ASSERT_TRUE(renamed);
    EXPECT_EQ(*renamed, music("ABC"));
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music("ABC"), music("ABC/x"), music("AB")}));
    EXPECT_EQ(trackAt("ABC/x/y.flac")->id, id);
    EXPECT_NE(trackAt("AB/z.flac"), nullptr);
    EXPECT_TRUE(QFile::exists(musicPath(QStringLiteral("ABC/x/y.flac"))));
    EXPECT_FALSE(m_store.lastError().has_value());

    m_store.removeFolder(music("AB/"));
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music("ABC"), music("ABC/x")}));
    ASSERT_EQ(m_store.index().tracks.size(), 1);
    EXPECT_EQ(trackAt("ABC/x/y.flac")->id, id);
    EXPECT_TRUE(QFile::exists(musicPath(QStringLiteral("AB/z.flac")))) << "the audio files stay";
}

TEST_F(LibraryFoldersTest, ARenameThatCannotBeSavedIsRolledBack)
{
    tone(QStringLiteral("A/y.flac"));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A"), m_reader)));
    const LibraryIndex before = m_store.index();
    m_files.failOnce(FileOperations::Operation::WriteAtomically, ENOSPC, "library.json");
    const auto renamed = m_store.renameFolder(music("A"), QStringLiteral("C"));
    ASSERT_FALSE(renamed);
    EXPECT_EQ(std::get<FileError>(renamed.error()).code, ENOSPC);
    EXPECT_EQ(m_store.index().tracks, before.tracks);
    EXPECT_EQ(m_store.index().folders, before.folders);
    EXPECT_TRUE(QFile::exists(musicPath(QStringLiteral("A/y.flac"))));
    EXPECT_FALSE(QFile::exists(musicPath(QStringLiteral("C"))));
    ASSERT_TRUE(m_store.lastError().has_value());
    EXPECT_EQ(m_store.lastError()->code, ENOSPC);
}

TEST_F(LibraryFoldersTest, EnsureFoldersCoveringAddsOnlyUncoveredDestinations)
{
    QDir().mkpath(musicPath(QStringLiteral("A")));
    ASSERT_TRUE(waitFor(m_store.addFolder(music("A"), m_reader)));
    const int writes = m_files.calls(FileOperations::Operation::WriteAtomically);
    EXPECT_FALSE(m_store.ensureFoldersCovering({music("A/deep/er"), music("A")}));
    EXPECT_EQ(m_files.calls(FileOperations::Operation::WriteAtomically), writes);

    EXPECT_TRUE(m_store.ensureFoldersCovering({music("B"), music("B/inner")}));
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music("A"), music("B")}));
}

TEST(FolderCoverage, RootCoversEverythingAndRepeatedPathsCollapse)
{
    const FileLocation root = FileLocation::fromPath("/");
    EXPECT_EQ(FolderCoverage::ensureCovered(FileLocation::fromPath("/x/y"), {root}), QList<FileLocation>{root});
    EXPECT_EQ(FolderCoverage::ensureCovered(FileLocation::fromPath("/Music/A/b"),
                                            {FileLocation::fromPath("/Music/A"), FileLocation::fromPath("/Music/A/")}),
              QList<FileLocation>{FileLocation::fromPath("/Music/A")});
}

TEST_F(LibraryFoldersTest, CoversAreStoredFromTheScanWithoutReadingAnyFileTwice)
{
    tone(QStringLiteral("with.flac"));
    tone(QStringLiteral("without.flac"));
    auto reader = std::make_shared<FakeCoverReader>(
        QHash<QByteArray, QByteArray>{{music("with.flac").path(), QByteArray("cover bytes")}});
    ASSERT_TRUE(waitFor(m_store.addFolder(music(), reader)));

    const Track *with = trackAt("with.flac");
    ASSERT_TRUE(with->artworkFileName.has_value());
    EXPECT_EQ(*with->artworkFileName, Json::uuidText(with->id) + QStringLiteral(".jpg"));
    EXPECT_FALSE(trackAt("without.flac")->artworkFileName.has_value());
    EXPECT_EQ(reader->readPaths.count(music("with.flac").path()), 1);
    EXPECT_EQ(reader->readPaths.count(music("without.flac").path()), 1);
    // The cover holds the bytes read, and the scan's temporary names are gone.
    const QDir covers(m_data.filePath(QStringLiteral("Quillmere/covers")));
    EXPECT_EQ(covers.entryList(QDir::Files | QDir::Hidden), QStringList{*with->artworkFileName});
    QFile cover(covers.filePath(*with->artworkFileName));
    ASSERT_TRUE(cover.open(QIODevice::ReadOnly));
    EXPECT_EQ(cover.readAll(), QByteArray("cover bytes"));

    // An unchanged library reads nothing again.
    reader->readPaths.clear();
    ASSERT_TRUE(waitFor(m_store.rescan(reader)));
    EXPECT_TRUE(reader->readPaths.isEmpty());
}

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

// The scan's merge runs off the GUI thread, held up here behind a busy thread pool, while every
// turn of the event loop edits one more track: no edit made meanwhile may be lost.
TEST_F(LibraryFoldersTest, NoEditMadeWhileTheScanIsMergedIsLost)
{
    for (int i = 0; i < 50; ++i)
        ASSERT_TRUE(FileOperations::system().writeAtomically(music("t" + QByteArray::number(i) + ".mp3"), "audio"));
    auto reader = std::make_shared<HoldingReader>(music("new.ogg").path());
    ASSERT_TRUE(waitFor(m_store.addFolder(music(), reader)));
    const QList<Track> before = m_store.index().tracks;
    ASSERT_TRUE(FileOperations::system().writeAtomically(music("new.ogg"), "a new file with a cover"));
    QFuture<void> rescan = m_store.rescan(reader);
    while (!reader->reached.tryAcquire())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    for (int i = 0; i < QThreadPool::globalInstance()->maxThreadCount(); ++i)
        QThreadPool::globalInstance()->start([] { QThread::msleep(300); });
    qsizetype edits = 0;
    QTimer editor;
    QObject::connect(&editor, &QTimer::timeout, [&] {
        if (edits == before.size())
            return;
        Track edited = before.at(edits++);
        edited.title = QStringLiteral("edited");
        ASSERT_TRUE(m_store.updateTrack(edited));
    });
    editor.start(0);
    reader->released.release();
    ASSERT_TRUE(waitFor(rescan));
    editor.stop();

    ASSERT_GT(edits, 0);
    for (qsizetype i = 0; i < edits; ++i) {
        const auto kept = std::ranges::find(m_store.index().tracks, before.at(i).id, &Track::id);
        ASSERT_NE(kept, m_store.index().tracks.end());
        EXPECT_EQ(kept->title, QStringLiteral("edited")) << i;
    }
}

} // namespace

namespace {

// A first import gives exactly the library that reading each file on its own gives: every file
// read once through the reader, made into a track by the factory, in path order, with its cover
// stored under the track's name. Checked field by field on real files of every kind an import
// meets: tagged and untagged, with small and large covers, fallback formats, names that are not
// UTF-8 and a file that is not audio.
class ImportIdentityTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!AudioFixture::ffmpegAvailable())
            GTEST_SKIP() << "ffmpeg is needed";
        const QString samples = m_samples.path();
        image(samples + QStringLiteral("/small.jpg"), QStringLiteral("testsrc=size=64x64"));
        // Noise does not compress: a cover larger than what the reader takes in at once.
        image(samples + QStringLiteral("/large.png"),
              QStringLiteral("nullsrc=size=700x700,geq=random(1)*255:random(1)*255:random(1)*255"));

        const auto withCover = [&](const QString &cover) {
            return QStringList{QStringLiteral("-i"), samples + u'/' + cover, QStringLiteral("-map"), QStringLiteral("0"),
                               QStringLiteral("-map"), QStringLiteral("1"), QStringLiteral("-c:v"), QStringLiteral("copy"),
                               QStringLiteral("-disposition:v"), QStringLiteral("attached_pic")};
        };
        const QStringList tags{QStringLiteral("-metadata"), QStringLiteral("title=晴天"), QStringLiteral("-metadata"),
                               QStringLiteral("artist=周杰伦"), QStringLiteral("-metadata"), QStringLiteral("album=叶惠美"),
                               QStringLiteral("-metadata"), QStringLiteral("date=2003"), QStringLiteral("-metadata"),
                               QStringLiteral("track=3/11"), QStringLiteral("-metadata"), QStringLiteral("genre=流行")};
        make(QStringLiteral("A/01 晴天.mp3"), withCover(QStringLiteral("small.jpg")) + tags);
        make(QStringLiteral("A/02 large cover.mp3"), withCover(QStringLiteral("large.png")) + tags, 6);
        make(QStringLiteral("A/03.flac"), withCover(QStringLiteral("small.jpg")) + tags);
        make(QStringLiteral("B/04 - Bill Evans - Waltz for Debby.m4a"), tags);
        make(QStringLiteral("B/05.wav"));
        make(QStringLiteral("B/deep/06.aiff"), tags);
        make(QStringLiteral("C/07.ogg"), tags);
        QFile::copy(m_music.filePath(QStringLiteral("A/03.flac")), m_music.filePath(QStringLiteral("C/08 copy.flac")));
        // A name in GBK and a file that is not audio at all.
        const QByteArray gbkName = QFile::encodeName(m_music.path()) + "/C/\xc7\xe7\xcc\xec.mp3";
        QFile::copy(m_music.filePath(QStringLiteral("A/01 晴天.mp3")), QFile::decodeName(gbkName));
        QFile junk(m_music.filePath(QStringLiteral("C/junk.mp3")));
        ASSERT_TRUE(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(3000, 'x'));
    }

    void image(const QString &path, const QString &source)
    {
        ASSERT_EQ(QProcess::execute(QStringLiteral("ffmpeg"), {QStringLiteral("-loglevel"), QStringLiteral("error"),
                                                                QStringLiteral("-f"), QStringLiteral("lavfi"),
                                                                QStringLiteral("-i"), source, QStringLiteral("-frames:v"),
                                                                QStringLiteral("1"), path}),
                  0);
    }

    void make(const QString &relative, const QStringList &extra = {}, double seconds = 0.5)
    {
        const QString path = m_music.filePath(relative);
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_FALSE(AudioFixture::makeTone(QFileInfo(path).path(), QFileInfo(path).fileName(), seconds, 440, extra).isEmpty());
    }

    QList<FileLocation> audioFilesInPathOrder() const
    {
        QList<QByteArray> paths;
        QDirIterator files(m_music.path(), QDir::Files, QDirIterator::Subdirectories);
        while (files.hasNext())
            paths.append(QFile::encodeName(files.next()));
        std::sort(paths.begin(), paths.end());
        QList<FileLocation> locations;
        for (const QByteArray &path : std::as_const(paths))
            locations.append(FileLocation::fromPath(path));
        return locations;
    }

    QByteArray coverFile(const QString &name) const
    {
        QFile file(m_data.filePath(QStringLiteral("covers/") + name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_samples;
    QTemporaryDir m_music;
    QTemporaryDir m_data;
};

TEST_F(ImportIdentityTest, EveryTrackAndCoverIsWhatReadingEachFileAloneGives)
{
    const TagLibMetadataReader reader;
    LibraryStore store(FileLocation::fromLocalFile(m_data.path()));
    ASSERT_TRUE(waitFor(store.addFolder(FileLocation::fromLocalFile(m_music.path()),
                                        std::make_shared<TagLibMetadataReader>())));
    ASSERT_FALSE(store.lastError().has_value());

    QList<Track> expected;
    QList<FileLocation> unreadable;
    QHash<QUuid, QByteArray> expectedCovers;
    const QList<Track> &imported = store.index().tracks;
    for (const FileLocation &file : audioFilesInPathOrder()) {
        const bool native = AudioFormatSupport::isNative(file);
        const std::optional<AudioMetadata> metadata = native ? reader.read(file) : std::nullopt;
        if (native && !metadata) {
            unreadable.append(file);
            continue;
        }
        const auto found = std::ranges::find(imported, file, &Track::url);
        ASSERT_NE(found, imported.end()) << file.path().toStdString();
        Track track = TrackFactory::make(file, metadata, found->id);
        // Fallback formats are not read while scanning; their covers are read afterwards.
        const std::optional<AudioMetadata> coverSource = native ? metadata : reader.read(file);
        if (coverSource && coverSource->artworkData) {
            track.artworkFileName = Json::uuidText(track.id) + QStringLiteral(".jpg");
            expectedCovers.insert(track.id, *coverSource->artworkData);
        }
        expected.append(track);
    }
    ASSERT_EQ(expectedCovers.size(), 5); // four files with the small cover, one with the large
    ASSERT_EQ(imported.size(), expected.size());
    for (qsizetype i = 0; i < expected.size(); ++i)
        EXPECT_EQ(imported.at(i), expected.at(i)) << expected.at(i).url.path().toStdString();
    EXPECT_EQ(store.unreadableURLs(), unreadable);

    QStringList coverNames;
    for (auto cover = expectedCovers.cbegin(); cover != expectedCovers.cend(); ++cover) {
        const QString name = Json::uuidText(cover.key()) + QStringLiteral(".jpg");
        EXPECT_EQ(coverFile(name), *cover) << name.toStdString();
        coverNames.append(name);
    }
    coverNames.sort();
    EXPECT_EQ(QDir(m_data.filePath(QStringLiteral("covers"))).entryList(QDir::Files | QDir::Hidden, QDir::Name), coverNames);
}

} // namespace
