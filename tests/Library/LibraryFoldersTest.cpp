#include "AudioFixture.h"
#include "FakeCoverReader.h"
#include "FaultInjectingFileOperations.h"
#include "Library/AudioFormatSupport.h"
#include "Library/FolderCoverage.h"
#include "Library/LibraryStore.h"
#include "Library/ScannedCoverWriter.h"
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

namespace {

class LibraryFoldersTest : public ::testing::Test
{
protected:
    FileLocation music(const QByteArray &relative = {}) const
    {
        const FileLocation root = FileLocation::fromLocalFile(m_music.path());
        return relative.isEmpty() ? root : root.appending(relative);
    }
    QString musicPath(const QString &relative) const { return m_music.path() + u'/' + relative; }
    FileLocation dataFolder() const { return FileLocation::fromLocalFile(m_data.path()).appending(QByteArray("Quillmere")); }
    void tone(const QString &relative, double seconds = 0.4)
    {
        const QString folder = QFileInfo(musicPath(relative)).path();
        QDir().mkpath(folder);
        ASSERT_FALSE(AudioFixture::makeTone(folder, QFileInfo(relative).fileName(), seconds).isEmpty());
    }
    void write(const QByteArray &relative, const QByteArray &content = "audio")
    {
        ASSERT_TRUE(FileOperations::system().createDirectories(music(relative).deletingLastPathComponent()));
        ASSERT_TRUE(FileOperations::system().writeAtomically(music(relative), content));
    }
    const Track *trackAt(const QByteArray &relative) const
    {
        const auto found = std::ranges::find(m_store.index().tracks, music(relative), &Track::url);
        return found == m_store.index().tracks.end() ? nullptr : &*found;
    }
    void add(const QByteArray &relative, std::shared_ptr<const MetadataReading> reader = {})
    {
        ASSERT_TRUE(waitFor(m_store.addFolder(music(relative), reader ? reader : m_reader)));
    }
    void rescan(std::shared_ptr<const MetadataReading> reader = {})
    {
        ASSERT_TRUE(waitFor(m_store.rescan(reader ? reader : m_reader)));
    }
    int libraryWrites() const { return m_files.calls(FileOperations::Operation::WriteAtomically); }

    QTemporaryDir m_data;
    QTemporaryDir m_music;
    FaultInjectingFileOperations m_files;
    LibraryStore m_store{dataFolder(), m_files};
    std::shared_ptr<const MetadataReading> m_reader = std::make_shared<TagLibMetadataReader>();
};

// What an import reads and stores is checked by ImportIdentityTest.
TEST_F(LibraryFoldersTest, ImportListsAFolderOnceAndARescanOfOneLeavesTheOthersAlone)
{
    write("A/a.mp3");
    write("B/b.mp3");
    const auto reader = std::make_shared<FakeCoverReader>(QHash<QByteArray, QByteArray>{});
    add({}, reader);
    add("A/./", reader);
    add("A", reader);
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music(), music("A")}));
    EXPECT_EQ(m_store.index().tracks.size(), 2);
    ASSERT_TRUE(QFile::remove(musicPath(u"A/a.mp3"_qs)) && QFile::remove(musicPath(u"B/b.mp3"_qs)));
    const int writes = libraryWrites();
    ASSERT_TRUE(waitFor(m_store.rescan(music("elsewhere"), reader)));
    EXPECT_EQ(libraryWrites(), writes) << "a folder not in the library is not rescanned";

    ASSERT_TRUE(waitFor(m_store.rescan(music("A"), reader)));
    EXPECT_TRUE(trackAt("A/a.mp3")->isMissing);
    EXPECT_FALSE(trackAt("B/b.mp3")->isMissing);
    const FileLocation outside = FileLocation::fromPath("/nowhere/a.mp3");
    m_store.updateTrackURLs({{music("A/a.mp3"), outside}}); // unflags it, outside every library folder
    rescan(reader);
    EXPECT_TRUE(trackAt("B/b.mp3")->isMissing);
    EXPECT_TRUE(std::ranges::find(m_store.index().tracks, outside, &Track::url)->isMissing)
        << "a full rescan also flags tracks outside the folders";
}

// A bad or taken name or a library that cannot be saved changes nothing; a rename or a removal takes
// the folder and what is below it, but no sibling whose name starts the same.
TEST_F(LibraryFoldersTest, RenameAndRemovalTakeTheFolderAndWhatIsBelowItAndNothingElse)
{
    tone(u"A/x/y.flac"_qs);
    tone(u"AB/z.flac"_qs);
    add("A");
    add("A/x");
    add("AB");
    const LibraryIndex before = m_store.index();
    const QUuid id = trackAt("A/x/y.flac")->id;
    for (const QString &name : {QString(), u"   "_qs, u"."_qs, u".."_qs, u"a/b"_qs, u"a:b"_qs, u"a"_qs + QChar(0) + u'b'}) {
        const auto renamed = m_store.renameFolder(music("A"), name);
        ASSERT_FALSE(renamed);
        EXPECT_EQ(std::get<FolderRenameError>(renamed.error()).kind, FolderRenameError::Kind::InvalidName);
    }
    for (const QString &name : {u" AB\n"_qs, u"A"_qs}) {
        const auto renamed = m_store.renameFolder(music("A"), name);
        ASSERT_FALSE(renamed);
        EXPECT_EQ(LibraryStore::describe(renamed.error()), u"已存在同名文件夹：%1。"_qs.arg(name.trimmed()));
    }
    m_files.failOnce(FileOperations::Operation::WriteAtomically, ENOSPC, "library.json");
    const auto unsaved = m_store.renameFolder(music("A"), u"C"_qs);
    ASSERT_FALSE(unsaved);
    EXPECT_EQ(std::get<FileError>(unsaved.error()).code, ENOSPC);
    EXPECT_EQ(m_store.lastError().value_or(FileError()).code, ENOSPC);
    EXPECT_TRUE(m_store.index().tracks == before.tracks && m_store.index().folders == before.folders);
    EXPECT_TRUE(QFile::exists(musicPath(u"A/x/y.flac"_qs)) && !QFile::exists(musicPath(u"C"_qs)));

    EXPECT_EQ(m_store.renameFolder(music("A"), u" ABC "_qs), music("ABC"));
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music("ABC"), music("ABC/x"), music("AB")}));
    EXPECT_EQ(trackAt("ABC/x/y.flac")->id, id);
    EXPECT_NE(trackAt("AB/z.flac"), nullptr);
    EXPECT_TRUE(QFile::exists(musicPath(u"ABC/x/y.flac"_qs)));
    EXPECT_FALSE(m_store.lastError().has_value());

    m_store.removeFolder(music("AB/"));
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music("ABC"), music("ABC/x")}));
    ASSERT_EQ(m_store.index().tracks.size(), 1);
    EXPECT_EQ(trackAt("ABC/x/y.flac")->id, id);
    EXPECT_TRUE(QFile::exists(musicPath(u"AB/z.flac"_qs))) << "the audio files stay";
}

TEST_F(LibraryFoldersTest, EnsureFoldersCoveringAddsOnlyUncoveredDestinations)
{
    QDir().mkpath(musicPath(u"A"_qs));
    add("A");
    const int writes = libraryWrites();
    EXPECT_FALSE(m_store.ensureFoldersCovering({music("A/deep/er"), music("A")}));
    EXPECT_EQ(libraryWrites(), writes);
    EXPECT_TRUE(m_store.ensureFoldersCovering({music("B"), music("B/inner")}));
    EXPECT_EQ(m_store.index().folders, (QList<FileLocation>{music("A"), music("B")}));

    const FileLocation root = FileLocation::fromPath("/"), a = FileLocation::fromPath("/Music/A");
    EXPECT_EQ(FolderCoverage::ensureCovered(FileLocation::fromPath("/x/y"), {root}), QList<FileLocation>{root});
    EXPECT_EQ(FolderCoverage::ensureCovered(FileLocation::fromPath("/Music/A/b"), {a, FileLocation::fromPath("/Music/A/")}),
              QList<FileLocation>{a}) << "repeated paths collapse";
}

TEST_F(LibraryFoldersTest, CoversAreStoredFromTheScanWithoutReadingAnyFileTwice)
{
    tone(u"with.flac"_qs);
    tone(u"without.flac"_qs);
    auto reader = std::make_shared<FakeCoverReader>(QHash<QByteArray, QByteArray>{{music("with.flac").path(), "cover bytes"}});
    add({}, reader);

    // Names and contents of stored covers are checked with real files by ImportIdentityTest.
    EXPECT_TRUE(trackAt("with.flac")->artworkFileName.has_value());
    std::ranges::sort(reader->readPaths);
    EXPECT_EQ(reader->readPaths, (QList<QByteArray>{music("with.flac").path(), music("without.flac").path()}));
    reader->readPaths.clear();
    rescan(reader);
    EXPECT_TRUE(reader->readPaths.isEmpty()) << "an unchanged library reads nothing again";
}

TEST(ScannedCoverWriter, SameBytesShareOneFileAndOtherBytesNeverDo)
{
    QTemporaryDir data;
    ScannedCoverWriter writer(FileLocation::fromLocalFile(data.filePath(u"covers"_qs)), FileOperations::system());
    const QByteArray red(5000, 'r'), blue(5000, 'b');
    QList<FileLocation> files;
    QSet<ino_t> inodes;
    for (const QByteArray &cover : {red, blue, red, blue, QByteArray(10, 'x')}) {
        const std::optional<FileLocation> file = writer.write(cover);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(FileOperations::system().readAll(*file), cover);
        EXPECT_FALSE(files.contains(*file)) << "a name each";
        files.append(*file);
        inodes.insert(FileOperations::system().status(*file).value_or(FileStatus()).inode);
    }
    EXPECT_EQ(inodes.size(), 3);
    EXPECT_FALSE(writer.firstError().has_value());

    ScannedCoverWriter blocked(files.first(), FileOperations::system()); // a file where the folder belongs
    EXPECT_FALSE(blocked.write("cover").has_value());
    EXPECT_TRUE(blocked.firstError().has_value());
}

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
    QFuture<void> rescanUntilHeld(LibraryStore &store, std::shared_ptr<const MetadataReading> self)
    {
        QFuture<void> rescan = store.rescan(std::move(self));
        // A scan that never reads the held file fails the test instead of hanging it.
        const bool held = QTest::qWaitFor([&] { return reached.tryAcquire(); }, 20'000);
        EXPECT_TRUE(held) << "the scan never read the held file";
        return rescan;
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

class RescanRaceTest : public LibraryFoldersTest, public ::testing::WithParamInterface<RaceCase>
{
};

TEST_P(RescanRaceTest, NoTrackWhoseFileStillExistsVanishes)
{
    constexpr int count = 20;
    for (int i = 0; i < count; ++i)
        write("sub/" + QByteArray::number(i) + ".mp3", "same size");
    const QByteArray newFile = GetParam().hold == HoldPoint::Scan ? "new.mp3" : "new.ogg";
    auto reader = std::make_shared<HoldingReader>(music(newFile).path());
    add({}, reader);
    const QList<Track> before = m_store.index().tracks;
    write(newFile, "a new file with a cover");

    const bool movedFirst = GetParam().change == Change::RepointAfterTheFilesMoved;
    ASSERT_TRUE(!movedFirst || std::rename(music("sub").cPath(), music("sub2").cPath()) == 0);
    QFuture<void> rescan = reader->rescanUntilHeld(m_store, reader);
    if (movedFirst) {
        QHash<FileLocation, FileLocation> moves;
        for (const Track &track : before)
            moves.insert(track.url, music("sub2").appending(track.url.fileName()));
        m_store.updateTrackURLs(moves);
    } else {
        ASSERT_TRUE(m_store.renameFolder(music("sub"), u"sub2"_qs));
    }
    reader->released.release();
    ASSERT_TRUE(waitFor(rescan));

    LibraryStore reloaded(dataFolder());
    reloaded.load();
    EXPECT_EQ(reloaded.index().tracks, m_store.index().tracks);
    ASSERT_EQ(m_store.index().tracks.size(), count + 1);
    EXPECT_TRUE(trackAt(newFile)->artworkFileName.has_value()) << "the new file's cover is stored";
    for (const Track &track : before) {
        const auto kept = std::ranges::find(m_store.index().tracks, track.id, &Track::id);
        ASSERT_NE(kept, m_store.index().tracks.end()) << track.url.path().constData();
        EXPECT_EQ(kept->url, music("sub2").appending(track.url.fileName()));
        EXPECT_FALSE(kept->isMissing);
    }
}

using enum Change;
using enum HoldPoint;
INSTANTIATE_TEST_SUITE_P(Interleavings, RescanRaceTest,
                         ::testing::Values(RaceCase{"RenamedAfterTheWalk", RenameFolder, Scan},
                                           RaceCase{"RenamedWhileCoversAreRead", RenameFolder, Covers},
                                           RaceCase{"MovedBeforeTheWalkRepointedDuringIt", RepointAfterTheFilesMoved, Scan},
                                           RaceCase{"MovedBeforeTheWalkRepointedWhileCoversAreRead",
                                                    RepointAfterTheFilesMoved, Covers}),
                         [](const auto &info) { return std::string(info.param.name); });

// The scan's merge runs off the GUI thread, held up here behind a busy thread pool, while every
// turn of the event loop edits one more track: no edit or removal made meanwhile may be lost.
TEST_F(LibraryFoldersTest, NoEditOrRemovalMadeWhileTheScanIsMergedIsLost)
{
    for (int i = 0; i < 50; ++i)
        write("t" + QByteArray::number(i) + ".mp3");
    auto reader = std::make_shared<HoldingReader>(music("new.ogg").path());
    add({}, reader);
    const QList<Track> before = m_store.index().tracks;
    write("new.ogg", "a new file with a cover");
    QFuture<void> rescan = reader->rescanUntilHeld(m_store, reader);
    m_store.removeTrack(before.last().id);
    for (int i = 0; i < QThreadPool::globalInstance()->maxThreadCount(); ++i)
        QThreadPool::globalInstance()->start([] { QThread::msleep(300); });
    qsizetype edits = 0;
    QTimer editor;
    QObject::connect(&editor, &QTimer::timeout, [&] {
        if (edits == before.size() - 1)
            return;
        Track edited = before.at(edits++);
        edited.title = u"edited"_qs;
        ASSERT_TRUE(m_store.updateTrack(edited));
    });
    editor.start(0);
    reader->released.release();
    ASSERT_TRUE(waitFor(rescan));
    editor.stop();

    ASSERT_GT(edits, 0);
    EXPECT_EQ(trackAt(before.last().url.fileName()), nullptr) << "the removed track stays removed";
    for (qsizetype i = 0; i < edits; ++i) {
        const auto kept = std::ranges::find(m_store.index().tracks, before.at(i).id, &Track::id);
        ASSERT_NE(kept, m_store.index().tracks.end());
        EXPECT_EQ(kept->title, u"edited"_qs) << i;
    }
}

// A first import gives exactly the library that reading each file on its own gives: every file
// read once through the reader, made into a track by the factory, in path order, with its cover
// stored under the track's name. Checked on real files of every kind an import meets: tagged and
// untagged, small and large covers, fallback formats, names that are not UTF-8, files that are not audio.
class ImportIdentityTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!AudioFixture::ffmpegAvailable())
            GTEST_SKIP() << "ffmpeg is needed";
        image(u"small.jpg"_qs, u"testsrc=size=64x64"_qs);
        // Noise does not compress: a cover larger than what the reader takes in at once.
        image(u"large.png"_qs, u"nullsrc=size=700x700,geq=random(1)*255:random(1)*255:random(1)*255"_qs);
        const auto withCover = [&](const QString &cover) {
            return u"-i %1 -map 0 -map 1 -c:v copy -disposition:v attached_pic"_qs.arg(m_samples.filePath(cover)).split(u' ');
        };
        const QStringList tags = u"-metadata title=晴天 -metadata artist=周杰伦 -metadata album=叶惠美 -metadata date=2003 "
                                 u"-metadata track=3/11 -metadata genre=流行"_qs.split(u' ');
        make(u"A/01 晴天.mp3"_qs, withCover(u"small.jpg"_qs) + tags);
        make(u"A/02 large cover.mp3"_qs, withCover(u"large.png"_qs) + tags, 6);
        make(u"A/03.flac"_qs, withCover(u"small.jpg"_qs) + tags);
        make(u"B/04 - Bill Evans - Waltz for Debby.m4a"_qs, tags);
        make(u"B/05.wav"_qs);
        make(u"B/deep/06.aiff"_qs, tags);
        make(u"C/07.ogg"_qs, tags);
        QFile::copy(m_music.filePath(u"A/03.flac"_qs), m_music.filePath(u"C/08 copy.flac"_qs));
        // A name in GBK and files that are not audio at all.
        QFile::copy(m_music.filePath(u"A/01 晴天.mp3"_qs),
                    QFile::decodeName(QFile::encodeName(m_music.path()) + "/C/\xc7\xe7\xcc\xec.mp3"));
        ASSERT_TRUE(FileOperations::system().writeAtomically(
            FileLocation::fromLocalFile(m_music.filePath(u"C/junk.mp3"_qs)), QByteArray(3000, 'x')));
        ASSERT_TRUE(FileOperations::system().writeAtomically(FileLocation::fromLocalFile(m_music.filePath(u"C/empty.m4a"_qs)), {}));
    }
    void image(const QString &name, const QString &source)
    {
        const QStringList arguments{u"-loglevel"_qs, u"error"_qs, u"-f"_qs, u"lavfi"_qs, u"-i"_qs, source, u"-frames:v"_qs, u"1"_qs};
        ASSERT_EQ(QProcess::execute(u"ffmpeg"_qs, arguments + QStringList{m_samples.filePath(name)}), 0);
    }
    void make(const QString &relative, const QStringList &extra = {}, double seconds = 0.5)
    {
        const QFileInfo file(m_music.filePath(relative));
        QDir().mkpath(file.path());
        ASSERT_FALSE(AudioFixture::makeTone(file.path(), file.fileName(), seconds, 440, extra).isEmpty());
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

    QList<QByteArray> paths;
    for (QDirIterator files(m_music.path(), QDir::Files, QDirIterator::Subdirectories); files.hasNext();)
        paths.append(QFile::encodeName(files.next()));
    std::sort(paths.begin(), paths.end());
    QList<Track> expected;
    QList<FileLocation> unreadable;
    QHash<QString, QByteArray> expectedCovers;
    const QList<Track> &imported = store.index().tracks;
    for (const QByteArray &path : std::as_const(paths)) {
        const FileLocation file = FileLocation::fromPath(path);
        const bool native = AudioFormatSupport::isNative(file);
        const std::optional<AudioMetadata> metadata = native ? reader.read(file) : std::nullopt;
        if (native && !metadata) {
            unreadable.append(file);
            continue;
        }
        const auto found = std::ranges::find(imported, file, &Track::url);
        ASSERT_NE(found, imported.end()) << path.toStdString();
        Track track = TrackFactory::make(file, metadata, found->id);
        // Fallback formats are not read while scanning; their covers are read afterwards.
        const std::optional<AudioMetadata> coverSource = native ? metadata : reader.read(file);
        if (coverSource && coverSource->artworkData) {
            track.artworkFileName = Json::uuidText(track.id) + u".jpg"_qs;
            expectedCovers.insert(*track.artworkFileName, *coverSource->artworkData);
        }
        expected.append(track);
    }
    ASSERT_EQ(expectedCovers.size(), 5); // four files with the small cover, one with the large
    EXPECT_EQ(imported, expected);
    EXPECT_EQ(store.unreadableURLs(), unreadable);

    // Every cover is stored under its track's name, and nothing else is left in the folder.
    const QDir covers(m_data.filePath(u"covers"_qs));
    QHash<QString, QByteArray> stored;
    for (const QString &name : covers.entryList(QDir::Files | QDir::Hidden))
        stored.insert(name, FileOperations::system().readAll(FileLocation::fromLocalFile(covers.filePath(name))).value_or(""));
    EXPECT_EQ(stored, expectedCovers);
}

} // namespace
