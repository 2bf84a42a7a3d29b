#include "AudioFixture.h"
#include "FakeCoverReader.h"
#include "FaultInjectingFileOperations.h"
#include "Library/LibraryStore.h"
#include "Library/TagLibMetadataReader.h"
#include "Storage/JsonFields.h"

#include <QCoreApplication>
#include <QDir>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <limits>
#include <sys/stat.h>

namespace {

using Operation = FileOperations::Operation;

// The injected faults of FaultInjectingFileOperations, plus a record of the names of the files
// written, so a test can tell which store files an operation wrote.
class RecordingFileOperations final : public FileOperations
{
public:
    FaultInjectingFileOperations faults;
    QList<QByteArray> written;

    int writes(const QByteArray &name) const { return int(written.count(name)); }

    std::expected<QByteArray, FileError> readAll(const FileLocation &file, qint64 limit) override
    {
        return faults.readAll(file, limit);
    }
    std::expected<void, FileError> writeAtomically(const FileLocation &file, const QByteArray &bytes) override
    {
        // The stores write through a "tmp" companion.
        QByteArray name = file.fileName();
        written.append(name.endsWith(".tmp") ? name.chopped(4) : name);
        return faults.writeAtomically(file, bytes);
    }
    std::expected<void, FileError> copyFile(const FileLocation &from, const FileLocation &to) override
    {
        return faults.copyFile(from, to);
    }
    std::expected<void, FileError> replace(const FileLocation &from, const FileLocation &to) override
    {
        return faults.replace(from, to);
    }
    std::expected<void, FileError> moveNoReplace(const FileLocation &from, const FileLocation &to) override
    {
        return faults.moveNoReplace(from, to);
    }
    std::expected<void, FileError> remove(const FileLocation &location) override { return faults.remove(location); }
    std::expected<void, FileError> removeEmptyFolder(const FileLocation &folder) override
    {
        return faults.removeEmptyFolder(folder);
    }
    void removeStaleTemporaries(const FileLocation &folder, const QByteArray &forName) override
    {
        faults.removeStaleTemporaries(folder, forName);
    }
    std::expected<FileStatus, FileError> entryStatus(const FileLocation &location) override
    {
        return faults.entryStatus(location);
    }
    std::expected<void, FileError> createDirectories(const FileLocation &folder, mode_t mode) override
    {
        return faults.createDirectories(folder, mode);
    }
    std::expected<FileStatus, FileError> status(const FileLocation &location) override
    {
        return faults.status(location);
    }
};

// A UTF-8 text as a player without Chinese support shows it.
QString garbled(const QString &text)
{
    return QStringDecoder("windows-1252").decode(QStringEncoder(QStringConverter::Utf8).encode(text));
}

Track makeTrack(const QString &title)
{
    Track track;
    track.id = QUuid::createUuid();
    track.url = FileLocation::fromPath("/music/" + title.toUtf8() + ".flac");
    track.title = title;
    track.artist = u"周杰伦"_qs;
    track.album = u"叶惠美"_qs;
    track.duration = 240;
    return track;
}

Playlist makePlaylist(const QString &name, const QList<QUuid> &trackIDs)
{
    return Playlist{QUuid::createUuid(), name, trackIDs};
}

class LibraryStoreTest : public ::testing::Test
{
protected:
    FileLocation folder() const { return FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray("Quillmere")); }
    FileLocation file(const QByteArray &name) const { return folder().appending(name); }
    FileLocation coversFolder() const { return file("covers"); }
    FileLocation coverFile(const QUuid &id) const { return coversFolder().appending(Json::uuidText(id) + u".jpg"_qs); }
    static bool exists(const FileLocation &location) { return FileOperations::system().exists(location); }
    static QByteArray contents(const FileLocation &location)
    {
        return FileOperations::system().readAll(location).value_or("<none>");
    }
    static void put(const FileLocation &location, const QByteArray &bytes)
    {
        ASSERT_TRUE(FileOperations::system().createDirectories(location.deletingLastPathComponent()));
        ASSERT_TRUE(FileOperations::system().writeAtomically(location, bytes));
    }

    // Puts the library and playlists on disk and loads them; the writes are counted from here on.
    void startWith(const QList<Track> &tracks, const QList<Playlist> &playlists = {})
    {
        IndexStore setup(folder());
        ASSERT_TRUE(setup.saveIndex(LibraryIndex{tracks, {FileLocation::fromPath("/music")}}));
        ASSERT_TRUE(setup.savePlaylists(playlists));
        m_store.load();
        ASSERT_EQ(m_store.recoveryNotice(), std::nullopt);
        m_files.written.clear();
    }
    LibraryIndex storedIndex() const { return IndexStore(folder()).loadIndex(); }
    QList<Playlist> storedPlaylists() const { return IndexStore(folder()).loadPlaylists(); }

    QTemporaryDir m_dir;
    RecordingFileOperations m_files;
    LibraryStore m_store{folder(), m_files};
};

// ---- Loading ----

TEST_F(LibraryStoreTest, LoadWithoutFilesGivesAnEmptyLibraryAndWritesNothing)
{
    m_store.load();
    EXPECT_TRUE(m_store.index().tracks.isEmpty());
    EXPECT_TRUE(m_store.index().folders.isEmpty());
    EXPECT_TRUE(m_store.playlists().isEmpty());
    EXPECT_EQ(m_store.settings(), AppSettings());
    EXPECT_EQ(m_store.recoveryNotice(), std::nullopt);
    EXPECT_EQ(m_store.lastError(), std::nullopt);
    EXPECT_TRUE(m_files.written.isEmpty());
    EXPECT_FALSE(exists(folder()));
}

TEST_F(LibraryStoreTest, LoadRemovesTheTemporariesOfSavesCutShort)
{
    startWith({makeTrack(u"晴天"_qs)});
    const QList<FileLocation> stale{file(".library.json.tmp.3k9xq2.part"), file(".settings.json.zz01.part"),
                                    coversFolder().appending(QByteArray(".1F0E.jpg.abc.part"))};
    const QList<FileLocation> kept{file("notes.part"), file(".hidden.part"), file(".a.B7.part")};
    for (const FileLocation &location : stale + kept)
        put(location, "left over");

    LibraryStore restarted(folder());
    restarted.load();

    for (const FileLocation &location : stale)
        EXPECT_FALSE(exists(location)) << location.path().constData();
    for (const FileLocation &location : kept)
        EXPECT_TRUE(exists(location)) << location.path().constData();
    EXPECT_EQ(restarted.index().tracks.size(), 1);
}

TEST_F(LibraryStoreTest, CoverNamesThatAreNotPlainFileNamesAreIgnoredAndOnlyCoverFilesAreRemoved)
{
    const FileLocation outside = FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray("x"));
    put(outside.appending(QByteArray("keep")), "user's file");
    put(coversFolder().appending(QByteArray("folder/keep")), "user's file");
    QList<Track> tracks;
    for (const char *name : {"../../x", "", ".", "..", "a/b", "folder"}) {
        tracks.append(makeTrack(QString::fromLatin1(name)));
        tracks.last().artworkFileName = QString::fromLatin1(name);
    }
    startWith(tracks);

    for (qsizetype i = 0; i < 5; ++i)
        EXPECT_EQ(m_store.index().tracks[i].artworkFileName, std::nullopt) << i;
    EXPECT_EQ(m_store.index().tracks[5].artworkFileName, u"folder"_qs);
    m_store.removeTracks({tracks[0].id, tracks[5].id});

    EXPECT_EQ(contents(outside.appending(QByteArray("keep"))), "user's file");
    EXPECT_EQ(contents(coversFolder().appending(QByteArray("folder/keep"))), "user's file");
    EXPECT_EQ(m_store.index().tracks.size(), 4);
}

enum class FileState { Fine, FromBackup, Unreadable, Absent };

struct NoticeCase
{
    const char *name;
    FileState library, playlists, settings;
    std::optional<QString> notice;
};

void PrintTo(const NoticeCase &c, std::ostream *out)
{
    *out << c.name;
}

class LoadNotice : public LibraryStoreTest, public ::testing::WithParamInterface<NoticeCase>
{
protected:
    void prepare(const QByteArray &name, FileState state, const QByteArray &goodContent)
    {
        const QByteArray damaged = "{\"tracks\": [";
        switch (state) {
        case FileState::Fine:
            put(file(name), goodContent);
            break;
        case FileState::FromBackup:
            put(file(name), damaged);
            put(file(name + ".bak"), goodContent);
            break;
        case FileState::Unreadable:
            put(file(name), damaged);
            break;
        case FileState::Absent:
            break;
        }
    }
};

TEST_P(LoadNotice, NamesTheRestoredThenTheUnreadableFiles)
{
    const Track track = makeTrack(u"晴天"_qs);
    const Playlist playlist = makePlaylist(u"最爱"_qs, {track.id});
    AppSettings settings;
    settings.themeMode = u"dark"_qs;
    prepare("library.json", GetParam().library,
            JsonFile::encode(LibraryIndex{{track}, {FileLocation::fromPath("/music")}}));
    prepare("playlists.json", GetParam().playlists, JsonFile::encode(QList<Playlist>{playlist}));
    prepare("settings.json", GetParam().settings, JsonFile::encode(settings));

    m_store.load();

    EXPECT_EQ(m_store.recoveryNotice(), GetParam().notice);
    const bool libraryRead = GetParam().library == FileState::Fine || GetParam().library == FileState::FromBackup;
    EXPECT_EQ(m_store.index().tracks, libraryRead ? QList<Track>{track} : QList<Track>{});
    const bool settingsRead = GetParam().settings == FileState::Fine || GetParam().settings == FileState::FromBackup;
    EXPECT_EQ(m_store.settings(), settingsRead ? settings : AppSettings());
    EXPECT_TRUE(m_files.written.isEmpty()) << "loading writes nothing without garbled text";
}

INSTANTIATE_TEST_SUITE_P(
    Files, LoadNotice,
    ::testing::Values(
        NoticeCase{"AllFine", FileState::Fine, FileState::Fine, FileState::Fine, std::nullopt},
        NoticeCase{"AllAbsent", FileState::Absent, FileState::Absent, FileState::Absent, std::nullopt},
        NoticeCase{"LibraryRestoredSettingsUnreadable", FileState::FromBackup, FileState::Fine,
                   FileState::Unreadable, u"曲库已从备份恢复；设置无法读取，已使用默认数据。"_qs},
        NoticeCase{"AllRestored", FileState::FromBackup, FileState::FromBackup, FileState::FromBackup,
                   u"曲库/播放列表/设置已从备份恢复。"_qs},
        NoticeCase{"LibraryAndPlaylistsRestored", FileState::FromBackup, FileState::FromBackup, FileState::Absent,
                   u"曲库/播放列表已从备份恢复。"_qs},
        NoticeCase{"PlaylistsAndSettingsUnreadable", FileState::Fine, FileState::Unreadable, FileState::Unreadable,
                   u"播放列表/设置无法读取，已使用默认数据。"_qs}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LibraryStoreTest, LoadRepairsGarbledTextWithOneWrite)
{
    Track first = makeTrack(garbled(u"七里香"_qs));
    first.albumArtist = garbled(u"周杰伦"_qs);
    first.genre = garbled(u"流行"_qs);
    Track second = makeTrack(u"晴天"_qs);
    second.artist = garbled(u"王菲"_qs);
    const Track clean = makeTrack(u"Yesterday"_qs);
    startWith({});
    put(file("library.json"), JsonFile::encode(LibraryIndex{{first, second, clean}, {}}));

    m_store.load();

    EXPECT_EQ(m_files.writes("library.json"), 1);
    EXPECT_EQ(m_files.written.size(), 1);
    const QList<Track> &tracks = m_store.index().tracks;
    ASSERT_EQ(tracks.size(), 3);
    EXPECT_EQ(tracks[0].title, u"七里香"_qs);
    EXPECT_EQ(tracks[0].albumArtist, u"周杰伦"_qs);
    EXPECT_EQ(tracks[0].genre, first.genre) << "the genre is not repaired";
    EXPECT_EQ(tracks[1].artist, u"王菲"_qs);
    EXPECT_EQ(tracks[2], clean);
    EXPECT_EQ(storedIndex().tracks, tracks);
}

TEST_F(LibraryStoreTest, LoadKeepsTheRepairedLibraryInMemoryWhenItsSaveFails)
{
    startWith({});
    put(file("library.json"), JsonFile::encode(LibraryIndex{{makeTrack(garbled(u"稻香"_qs))}, {}}));
    m_files.faults.failOnce(Operation::Replace, EIO, "library.json");

    m_store.load();

    EXPECT_EQ(m_store.index().tracks.first().title, u"稻香"_qs);
    ASSERT_TRUE(m_store.lastError());
    EXPECT_EQ(m_store.lastError()->code, EIO);
}

// ---- Saves and lastError ----

TEST_F(LibraryStoreTest, FailedIndexSaveStaysReportedAfterTheSuccessfulPlaylistsSave)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track}, {makePlaylist(u"最爱"_qs, {track.id})});
    m_files.faults.failOnce(Operation::WriteAtomically, ENOSPC, "library.json");

    m_store.removeTrack(track.id);

    EXPECT_EQ(m_files.writes("playlists.json"), 1);
    ASSERT_TRUE(m_store.lastError()) << "the library change was not saved";
    EXPECT_EQ(m_store.lastError()->code, ENOSPC);
    EXPECT_EQ(storedPlaylists().first().trackIDs, QList<QUuid>{});
}

TEST_F(LibraryStoreTest, LaterSuccessfulOperationClearsTheError)
{
    startWith({});
    m_files.faults.failOnce(Operation::WriteAtomically, EIO, "settings.json");
    m_store.saveSettings();
    ASSERT_TRUE(m_store.lastError());

    m_store.savePlaylists();

    EXPECT_EQ(m_store.lastError(), std::nullopt);
}

TEST_F(LibraryStoreTest, SavesTheSettingsAndPlaylistsAsReplaced)
{
    startWith({});
    AppSettings settings;
    settings.lyricsOpacity = 0.5;
    m_store.setSettings(settings);
    const Playlist playlist = makePlaylist(u"夜晚"_qs, {});
    m_store.setPlaylists({playlist});

    m_store.saveSettings();
    m_store.savePlaylists();

    EXPECT_EQ(IndexStore(folder()).loadSettings(), settings);
    EXPECT_EQ(storedPlaylists(), QList<Playlist>{playlist});
    EXPECT_EQ(m_files.written, (QList<QByteArray>{"settings.json", "playlists.json"}));
}

TEST_F(LibraryStoreTest, DataFolderIsPrivate)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track});
    m_store.setArtwork(QByteArray("cover"), track.id);
    m_store.saveSettings();
    for (const FileLocation &created : {folder(), coversFolder()}) {
        struct stat info {};
        ASSERT_EQ(::stat(created.cPath(), &info), 0);
        EXPECT_EQ(info.st_mode & 0777, 0700u) << created.displayPath().toStdString();
    }
}

// ---- Track edits ----

TEST_F(LibraryStoreTest, UpdateTrackReplacesInPlaceAndSaves)
{
    const Track first = makeTrack(u"晴天"_qs);
    const Track second = makeTrack(u"稻香"_qs);
    startWith({first, second});
    Track edited = first;
    edited.title = u"晴天 (Live)"_qs;

    EXPECT_TRUE(m_store.updateTrack(edited));

    EXPECT_EQ(m_store.index().tracks, (QList<Track>{edited, second}));
    EXPECT_EQ(storedIndex().tracks, m_store.index().tracks);
}

TEST_F(LibraryStoreTest, UpdateTrackOfAnUnknownTrackChangesAndWritesNothing)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track});

    EXPECT_FALSE(m_store.updateTrack(makeTrack(u"别的"_qs)));

    EXPECT_EQ(m_store.index().tracks, QList<Track>{track});
    EXPECT_TRUE(m_files.written.isEmpty());
}

TEST_F(LibraryStoreTest, UpdateTrackRefusesADurationThatIsNotAFiniteNumberOfSeconds)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track});
    for (const double duration : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(), -1.0}) {
        Track edited = track;
        edited.title = u"改过"_qs;
        edited.duration = duration;
        EXPECT_FALSE(m_store.updateTrack(edited)) << duration;
    }
    EXPECT_EQ(m_store.index().tracks, QList<Track>{track});
    EXPECT_TRUE(m_files.written.isEmpty());
}

TEST_F(LibraryStoreTest, UpdateDurationsFillsOnlyMissingDurationsWithUsableValues)
{
    Track known = makeTrack(u"有时长"_qs);
    Track unknown = makeTrack(u"无时长"_qs);
    unknown.duration = 0;
    Track notANumber = makeTrack(u"坏值"_qs);
    notANumber.duration = 0;
    Track infinite = makeTrack(u"无穷"_qs);
    infinite.duration = 0;
    Track zero = makeTrack(u"零"_qs);
    zero.duration = 0;
    startWith({known, unknown, notANumber, infinite, zero});

    m_store.updateDurations({{known.id, 100.0},
                             {unknown.id, 187.5},
                             {notANumber.id, std::numeric_limits<double>::quiet_NaN()},
                             {infinite.id, std::numeric_limits<double>::infinity()},
                             {zero.id, 0.0}});

    const QList<Track> &tracks = m_store.index().tracks;
    EXPECT_EQ(tracks[0].duration, 240.0);
    EXPECT_EQ(tracks[1].duration, 187.5);
    EXPECT_EQ(tracks[2].duration, 0.0);
    EXPECT_EQ(tracks[3].duration, 0.0);
    EXPECT_EQ(tracks[4].duration, 0.0);
    EXPECT_EQ(m_files.writes("library.json"), 1);
    EXPECT_EQ(storedIndex().tracks, tracks);
}

TEST_F(LibraryStoreTest, UpdateDurationsWithNothingToChangeWritesNothing)
{
    const Track known = makeTrack(u"有时长"_qs);
    startWith({known});
    m_store.updateDurations({});
    m_store.updateDurations({{known.id, 12.0}, {QUuid::createUuid(), 30.0}});
    EXPECT_TRUE(m_files.written.isEmpty());
}

TEST_F(LibraryStoreTest, UpdateTrackURLsMatchesAfterStandardisationAndUnflags)
{
    Track moved = makeTrack(u"晴天"_qs);
    moved.url = FileLocation::fromPath("/music/./old/../晴天.flac");
    moved.isMissing = true;
    const Track other = makeTrack(u"稻香"_qs);
    startWith({moved, other});

    m_store.updateTrackURLs({{FileLocation::fromPath("/music//晴天.flac"), FileLocation::fromPath("/new/./晴天.flac")}});

    EXPECT_EQ(m_store.index().tracks[0].url, FileLocation::fromPath("/new/晴天.flac"));
    EXPECT_FALSE(m_store.index().tracks[0].isMissing);
    EXPECT_EQ(m_store.index().tracks[1], other);
    EXPECT_EQ(m_files.writes("library.json"), 1);

    m_store.updateTrackURLs({{FileLocation::fromPath("/elsewhere.flac"), FileLocation::fromPath("/x.flac")}});
    EXPECT_EQ(m_files.writes("library.json"), 1) << "no track matched";
}

// ---- Removal ----

TEST_F(LibraryStoreTest, RemovingATrackClearsItFromEveryPlaylistAndDeletesOnlyItsCover)
{
    const FileLocation audio = FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray("晴天.flac"));
    put(audio, "audio");
    Track removed = makeTrack(u"晴天"_qs);
    removed.url = audio;
    const Track first = makeTrack(u"稻香"_qs);
    const Track last = makeTrack(u"夜曲"_qs);
    const Playlist both = makePlaylist(u"全部"_qs, {first.id, removed.id, last.id});
    const Playlist only = makePlaylist(u"单曲"_qs, {removed.id});
    startWith({first, removed, last}, {both, only});
    m_store.setArtwork(QByteArray("cover"), removed.id);
    m_store.setArtwork(QByteArray("other cover"), first.id);
    m_files.written.clear();

    m_store.removeTrack(removed.id);

    EXPECT_EQ(m_store.index().tracks.size(), 2);
    EXPECT_EQ(m_store.index().tracks[1], last);
    ASSERT_EQ(m_store.playlists().size(), 2);
    EXPECT_EQ(m_store.playlists()[0].trackIDs, (QList<QUuid>{first.id, last.id}));
    EXPECT_EQ(m_store.playlists()[1].trackIDs, QList<QUuid>{}) << "an emptied playlist stays";
    EXPECT_FALSE(exists(coverFile(removed.id)));
    EXPECT_TRUE(exists(coverFile(first.id)));
    EXPECT_EQ(contents(audio), "audio");
    EXPECT_EQ(m_files.written, (QList<QByteArray>{"library.json", "playlists.json"}));
    EXPECT_EQ(storedIndex().tracks, m_store.index().tracks);
    EXPECT_EQ(storedPlaylists(), m_store.playlists());
}

TEST_F(LibraryStoreTest, RemovingNothing)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track});

    m_store.removeTracks({});
    EXPECT_TRUE(m_files.written.isEmpty()) << "an empty set does nothing at all";

    m_store.removeTrack(QUuid::createUuid());
    EXPECT_EQ(m_files.written, QList<QByteArray>{"library.json"}) << "an unknown identifier still writes the library";
    EXPECT_EQ(m_store.index().tracks, QList<Track>{track});
}

TEST_F(LibraryStoreTest, RemoveMissingTracksKeepsTheOthersInOrder)
{
    Track gone = makeTrack(u"不见了"_qs);
    gone.isMissing = true;
    const Track first = makeTrack(u"一"_qs);
    const Track second = makeTrack(u"二"_qs);
    startWith({first, gone, second});
    EXPECT_EQ(m_store.missingTracks(), QList<Track>{gone});

    m_store.removeMissingTracks();

    EXPECT_EQ(m_store.index().tracks, (QList<Track>{first, second}));
    EXPECT_TRUE(m_store.missingTracks().isEmpty());
}

// ---- Covers ----

TEST_F(LibraryStoreTest, SetArtworkWritesTheBytesUnderTheUpperCaseIdentifier)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track});
    const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a") + QByteArray(100, 'p');

    m_store.setArtwork(png, track.id);

    const QString name = track.id.toString(QUuid::WithoutBraces).toUpper() + u".jpg"_qs;
    EXPECT_EQ(m_store.index().tracks.first().artworkFileName, name);
    EXPECT_EQ(contents(coversFolder().appending(name)), png);
    EXPECT_EQ(m_store.artworkURL(m_store.index().tracks.first()), coversFolder().appending(name));
    EXPECT_EQ(storedIndex().tracks, m_store.index().tracks);

    const QByteArray jpeg = QByteArray::fromHex("ffd8ffe0") + QByteArray(50, 'j');
    m_store.setArtwork(jpeg, track.id);
    EXPECT_EQ(contents(coversFolder().appending(name)), jpeg) << "a new cover replaces the old file";
}

TEST_F(LibraryStoreTest, CoverFilesOnTheRealFileSystemLeaveNoTemporaryBehind)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track});
    LibraryStore store(folder());
    store.load();
    const QByteArray cover(300'000, 'c');

    store.setArtwork(cover, track.id);
    store.setArtwork(cover + "more", track.id);

    EXPECT_EQ(contents(coverFile(track.id)), cover + "more");
    EXPECT_EQ(QDir(coversFolder().displayPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{coverFile(track.id).fileNameText()});
}

TEST_F(LibraryStoreTest, SetArtworkWithoutBytesRemovesTheCover)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track});
    m_store.setArtwork(QByteArray("cover"), track.id);

    m_store.setArtwork(std::nullopt, track.id);

    EXPECT_EQ(m_store.index().tracks.first().artworkFileName, std::nullopt);
    EXPECT_FALSE(exists(coverFile(track.id)));
    EXPECT_EQ(storedIndex().tracks.first().artworkFileName, std::nullopt);
}

TEST_F(LibraryStoreTest, CoverFolderThatCannotBeCreatedLeavesTheTrackAsItWas)
{
    Track track = makeTrack(u"晴天"_qs);
    track.artworkFileName = u"OLD.jpg"_qs;
    startWith({track});
    put(coversFolder(), "a regular file where the folder belongs");

    m_store.setArtwork(QByteArray("cover"), track.id);

    ASSERT_TRUE(m_store.lastError());
    EXPECT_EQ(m_store.lastError()->code, ENOTDIR);
    EXPECT_EQ(m_store.index().tracks, QList<Track>{track});
    EXPECT_TRUE(m_files.written.isEmpty());
}

TEST_F(LibraryStoreTest, CoverFileThatCannotBeWrittenLeavesTheTrackAsItWas)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track});
    m_files.faults.failOnce(Operation::WriteAtomically, ENOSPC, "covers");

    m_store.setArtwork(QByteArray("cover"), track.id);

    ASSERT_TRUE(m_store.lastError());
    EXPECT_EQ(m_store.lastError()->code, ENOSPC);
    EXPECT_EQ(m_store.index().tracks, QList<Track>{track});
    EXPECT_EQ(m_files.writes("library.json"), 0);
}

TEST_F(LibraryStoreTest, ArtworkURLNeedsTheFile)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track});
    EXPECT_EQ(m_store.artworkURL(track), std::nullopt);
    m_store.setArtwork(QByteArray("cover"), track.id);
    ASSERT_TRUE(FileOperations::system().remove(coverFile(track.id)));
    EXPECT_EQ(m_store.artworkURL(m_store.index().tracks.first()), std::nullopt);
}

TEST_F(LibraryStoreTest, ArtworkDataGivesOneCoverPerStandardisedPathOnTheGuiThread)
{
    Track first = makeTrack(u"晴天"_qs);
    first.url = FileLocation::fromPath("/music/./晴天.flac");
    Track second = makeTrack(u"晴天"_qs);
    second.url = FileLocation::fromPath("/music/x/../晴天.flac");
    const Track bare = makeTrack(u"无封面"_qs);
    startWith({first, second, bare});
    auto reader = std::make_shared<FakeCoverReader>(QHash<QByteArray, QByteArray>{{first.url.path(), "cover"}});
    QHash<QByteArray, QByteArray> covers;
    bool onGuiThread = true;

    ASSERT_TRUE(waitFor(m_store.artworkData({first, second, bare}, reader,
                                            [&](const FileLocation &file, const QByteArray &cover) {
                                                onGuiThread = onGuiThread && QThread::currentThread() == QCoreApplication::instance()->thread();
                                                covers.insert(file.path(), cover);
                                            })));

    EXPECT_EQ(covers, (QHash<QByteArray, QByteArray>{{"/music/晴天.flac", "cover"}}));
    EXPECT_TRUE(onGuiThread);
    EXPECT_TRUE(m_files.written.isEmpty()) << "reading covers writes nothing";
}

TEST_F(LibraryStoreTest, ArtworkDataReadsTheCoversEmbeddedInRealFiles)
{
    // A 1x1 PNG, embedded as it is.
    const QByteArray png = QByteArray::fromHex(
        "89504e470d0a1a0a0000000d49484452000000010000000108060000001f15c4890000000d49444154789c63f8cfc0f01f"
        "00050001ff89993d1d0000000049454e44ae426082");
    const QString coverPath = m_dir.filePath(u"cover.png"_qs);
    put(FileLocation::fromLocalFile(coverPath), png);
    const QStringList withCover{u"-i"_qs, coverPath, u"-map"_qs, u"0"_qs, u"-map"_qs, u"1"_qs, u"-c:v"_qs, u"copy"_qs};
    QList<Track> tracks;
    for (const auto &[name, extra] : QList<std::pair<QString, QStringList>>{
             {u"封面.flac"_qs, withCover + QStringList{u"-disposition:v"_qs, u"attached_pic"_qs}},
             {u"封面.mp3"_qs, withCover + QStringList{u"-id3v2_version"_qs, u"3"_qs}},
             {u"无封面.wav"_qs, {}}}) {
        Track track = makeTrack(name);
        track.url = FileLocation::fromLocalFile(AudioFixture::makeTone(m_dir.path(), name, 1.0, 440, extra));
        tracks.append(track);
    }
    QHash<QByteArray, QByteArray> covers;

    ASSERT_TRUE(waitFor(m_store.artworkData(tracks, std::make_shared<TagLibMetadataReader>(),
                                            [&](const FileLocation &file, const QByteArray &cover) {
                                                covers.insert(file.path(), cover);
                                            })));

    const QHash<QByteArray, QByteArray> expected{{tracks[0].url.path(), png}, {tracks[1].url.path(), png}};
    EXPECT_EQ(covers, expected);
}

TEST_F(LibraryStoreTest, ArtworkDataIsCancelledWithTheStore)
{
    auto reader = std::make_shared<FakeCoverReader>(QHash<QByteArray, QByteArray>{{"/music/a.flac", "cover"}});
    auto store = std::make_unique<LibraryStore>(folder(), m_files);
    int taken = 0;
    QFuture<void> future = store->artworkData({makeTrack(u"a"_qs)}, reader,
                                              [&](const FileLocation &, const QByteArray &) { ++taken; });

    store.reset();
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();

    EXPECT_TRUE(future.isCanceled());
    EXPECT_EQ(taken, 0);
}

} // namespace

// ---- Tag edits of many tracks ----

TEST_F(LibraryStoreTest, TrackEditsAreSavedOnceWithTheirCoversWrittenOrRemoved)
{
    Track plain = makeTrack(u"A"_qs), covered = makeTrack(u"B"_qs), stranger = makeTrack(u"C"_qs);
    startWith({plain, covered});
    m_store.setArtwork(QByteArray("old"), covered.id);
    covered.artworkFileName = m_store.index().tracks.at(1).artworkFileName;
    m_files.written.clear();

    Track retitled = plain;
    retitled.title = u"新"_qs;
    retitled.artworkFileName = u"ignored.jpg"_qs; // the store decides the cover's name
    Track uncovered = covered;
    uncovered.title = u"旧"_qs;
    m_store.applyTrackEdits({{retitled, true, QByteArray("image")}, {uncovered, true, std::nullopt}, {stranger, false, {}}});

    EXPECT_EQ(m_files.writes("library.json"), 1);
    const QList<Track> stored = storedIndex().tracks;
    ASSERT_EQ(stored.size(), 2);
    EXPECT_EQ(stored.at(0).title, u"新"_qs);
    EXPECT_EQ(stored.at(0).artworkFileName, Json::uuidText(plain.id) + u".jpg"_qs);
    EXPECT_EQ(contents(coverFile(plain.id)), QByteArray("image"));
    EXPECT_EQ(stored.at(1).title, u"旧"_qs);
    EXPECT_FALSE(stored.at(1).artworkFileName);
    EXPECT_FALSE(exists(coverFile(covered.id)));

    // Without a cover change the entry keeps the cover it has.
    Track again = stored.at(0);
    again.artworkFileName.reset();
    m_store.applyTrackEdits({{again, false, {}}});
    EXPECT_EQ(m_store.index().tracks.at(0).artworkFileName, stored.at(0).artworkFileName);
}
