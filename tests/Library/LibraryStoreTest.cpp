#include "FakeCoverReader.h"
#include "FaultInjectingFileOperations.h"
#include "Library/ArtworkFetch.h"
#include "Library/LibraryStore.h"
#include "Storage/JsonFields.h"

#include <QCoreApplication>
#include <QDir>
#include <QPointer>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QThreadPool>

#include <gtest/gtest.h>

#include <limits>

namespace {

using Operation = FileOperations::Operation;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// A UTF-8 text as a player without Chinese support shows it.
QString garbled(const QString &text)
{
    return QStringDecoder("windows-1252").decode(QStringEncoder(QStringConverter::Utf8).encode(text));
}

// A track at "/music/<title>.flac" with a new identifier and the other fields of `track`.
Track makeTrack(const QString &title, Track track = {.duration = 240})
{
    track.id = QUuid::createUuid();
    track.url = FileLocation::fromPath("/music/" + title.toUtf8() + ".flac");
    track.title = title;
    return track;
}

class LibraryStoreTest : public ::testing::Test
{
protected:
    FileLocation folder() const { return FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray("Quillmere")); }
    FileLocation file(const QByteArray &name) const { return folder().appending(name); }
    FileLocation coversFolder() const { return file("covers"); }
    FileLocation coverFile(const QUuid &id) const { return coversFolder().appending(Json::uuidText(id) + u".jpg"_qs); }
    static bool exists(const FileLocation &location) { return FileOperations::system().exists(location); }
    static QByteArray contents(const FileLocation &location) { return FileOperations::system().readAll(location).value_or("<none>"); }
    static void put(const FileLocation &location, const QByteArray &bytes)
    {
        ASSERT_TRUE(FileOperations::system().createDirectories(location.deletingLastPathComponent()));
        ASSERT_TRUE(FileOperations::system().writeAtomically(location, bytes));
    }
    // The names of the files written since the last startWith(); the stores write through a "tmp" companion.
    QList<QByteArray> written() const
    {
        QList<QByteArray> names;
        for (const FileLocation &location : m_files.written())
            names.append(location.fileName().endsWith(".tmp") ? location.fileName().chopped(4) : location.fileName());
        return names;
    }
    int writes(const QByteArray &name) const { return int(written().count(name)); }
    // Puts the library and playlists on disk and loads them; the writes are counted from here on.
    void startWith(const QList<Track> &tracks, const QList<Playlist> &playlists = {})
    {
        IndexStore setup(folder());
        ASSERT_TRUE(setup.saveIndex(LibraryIndex{tracks, {FileLocation::fromPath("/music")}}));
        ASSERT_TRUE(setup.savePlaylists(playlists));
        m_store.load();
        ASSERT_EQ(m_store.recoveryNotice(), std::nullopt);
        m_files.clearWritten();
    }
    QList<Track> storedTracks() const { return IndexStore(folder()).loadIndex().tracks; }
    QList<Playlist> storedPlaylists() const { return IndexStore(folder()).loadPlaylists(); }
    void expectError(int code) { EXPECT_EQ(m_store.lastError().value_or(FileError()).code, code); }

    QTemporaryDir m_dir;
    FaultInjectingFileOperations m_files;
    LibraryStore m_store{folder(), m_files};
};

TEST_F(LibraryStoreTest, LoadRemovesOnlyTheTemporariesOfSavesCutShortAndBadCoverNames)
{
    const FileLocation outside = FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray("x/keep"));
    const FileLocation inCovers = coversFolder().appending(QByteArray("folder/keep"));
    QList<Track> tracks;
    for (const char *name : {"../../x", "", ".", "..", "a/b", "folder"})
        tracks.append(makeTrack(QString::fromLatin1(name), {.artworkFileName = QString::fromLatin1(name)}));
    startWith(tracks);
    const QList<FileLocation> stale{file(".library.json.tmp.3k9xq2.part"), file(".settings.json.zz01.part"),
                                    coversFolder().appending(QByteArray(".1F0E.jpg.abc.part"))};
    const QList<FileLocation> kept{file("notes.part"), file(".hidden.part"), file(".a.B7.part"), outside, inCovers};
    for (const FileLocation &location : stale + kept)
        put(location, "left over");

    LibraryStore restarted(folder());
    restarted.load();

    for (const FileLocation &location : stale)
        EXPECT_FALSE(exists(location)) << location.path().constData();
    // Cover names that are not plain file names are dropped, and removal deletes only cover files.
    for (qsizetype i = 0; i < 6; ++i)
        EXPECT_EQ(restarted.index().tracks[i].artworkFileName, i < 5 ? std::nullopt : std::optional(u"folder"_qs));
    Track leadingOut = restarted.index().tracks[1]; // a name a caller stored unchecked
    leadingOut.artworkFileName = u"../notes.part"_qs;
    ASSERT_TRUE(restarted.updateTrack(leadingOut));
    restarted.removeTracks({tracks[0].id, tracks[1].id, tracks[5].id});
    EXPECT_EQ(restarted.index().tracks.size(), 3);
    for (const FileLocation &location : kept)
        EXPECT_TRUE(exists(location)) << location.path().constData();
}

enum class FileState { Fine, FromBackup, Unreadable, Absent };

struct NoticeCase
{
    const char *name;
    FileState library, playlists, settings;
    std::optional<QString> notice;
};

class LoadNotice : public LibraryStoreTest, public ::testing::WithParamInterface<NoticeCase>
{
protected:
    // Puts the file in the given state; tells whether loading should read its content.
    bool prepare(const QByteArray &name, FileState state, const QByteArray &content)
    {
        if (state != FileState::Absent)
            put(file(name), state == FileState::Fine ? content : "{\"tracks\": [");
        if (state == FileState::FromBackup)
            put(file(name + ".bak"), content);
        return state == FileState::Fine || state == FileState::FromBackup;
    }
};

TEST_P(LoadNotice, NamesTheRestoredThenTheUnreadableFilesAndWritesNothing)
{
    const NoticeCase &c = GetParam();
    const LibraryIndex index{{makeTrack(u"晴天"_qs)}, {FileLocation::fromPath("/music")}};
    const AppSettings settings{.themeMode = u"dark"_qs};
    const bool library = prepare("library.json", c.library, JsonFile::encode(index));
    const bool playlists = prepare("playlists.json", c.playlists,
                                   JsonFile::encode(QList{Playlist{QUuid::createUuid(), u"最爱"_qs, {}}}));
    const bool settingsRead = prepare("settings.json", c.settings, JsonFile::encode(settings));
    m_store.load();

    EXPECT_EQ(m_store.recoveryNotice(), c.notice);
    EXPECT_EQ(m_store.index().tracks, library ? index.tracks : QList<Track>{});
    EXPECT_EQ(m_store.index().folders, library ? index.folders : QList<FileLocation>{});
    EXPECT_EQ(m_store.playlists().size(), playlists ? 1 : 0);
    EXPECT_EQ(m_store.settings(), settingsRead ? settings : AppSettings());
    EXPECT_EQ(m_store.lastError(), std::nullopt);
    EXPECT_TRUE(written().isEmpty());
    EXPECT_EQ(exists(folder()), c.notice || library) << "loading never makes the folder";
}

using enum FileState;
INSTANTIATE_TEST_SUITE_P(
    Files, LoadNotice,
    ::testing::Values(
        NoticeCase{"AllFine", Fine, Fine, Fine, std::nullopt},
        NoticeCase{"AllAbsent", Absent, Absent, Absent, std::nullopt},
        NoticeCase{"LibraryRestoredSettingsUnreadable", FromBackup, Fine, Unreadable,
                   u"曲库已从备份恢复；设置无法读取，已使用默认数据。"_qs},
        NoticeCase{"AllRestored", FromBackup, FromBackup, FromBackup, u"曲库/播放列表/设置已从备份恢复。"_qs},
        NoticeCase{"LibraryAndPlaylistsRestored", FromBackup, FromBackup, Absent, u"曲库/播放列表已从备份恢复。"_qs},
        NoticeCase{"PlaylistsAndSettingsUnreadable", Fine, Unreadable, Unreadable,
                   u"播放列表/设置无法读取，已使用默认数据。"_qs}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(LibraryStoreTest, LoadRepairsGarbledTextWithOneWriteAndKeepsItWhenTheSaveFails)
{
    Track first = makeTrack(garbled(u"七里香"_qs), {.albumArtist = garbled(u"周杰伦"_qs), .genre = garbled(u"流行"_qs)});
    Track second = makeTrack(u"晴天"_qs, {.artist = garbled(u"王菲"_qs)});
    const Track clean = makeTrack(u"Yesterday"_qs);
    startWith({});
    put(file("library.json"), JsonFile::encode(LibraryIndex{{first, second, clean}, {}}));
    m_store.load();

    EXPECT_EQ(written(), QList<QByteArray>{"library.json"});
    first.title = u"七里香"_qs;
    first.albumArtist = u"周杰伦"_qs; // the genre is not repaired
    second.artist = u"王菲"_qs;
    EXPECT_EQ(m_store.index().tracks, (QList<Track>{first, second, clean}));
    EXPECT_EQ(storedTracks(), m_store.index().tracks);

    put(file("library.json"), JsonFile::encode(LibraryIndex{{makeTrack(garbled(u"稻香"_qs))}, {}}));
    m_files.failOnce(Operation::Replace, EIO, "library.json");
    m_store.load();
    EXPECT_EQ(m_store.index().tracks.first().title, u"稻香"_qs);
    expectError(EIO);
}

TEST_F(LibraryStoreTest, AFailureStaysReportedUntilALaterOperationSucceeds)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track}, {Playlist{QUuid::createUuid(), u"最爱"_qs, {track.id}}});
    m_files.failOnce(Operation::WriteAtomically, ENOSPC, "library.json");
    m_store.removeTrack(track.id);
    expectError(ENOSPC); // the library change was not saved, the later playlists save was
    EXPECT_EQ(storedPlaylists().first().trackIDs, QList<QUuid>{});

    const AppSettings settings{.lyricsOpacity = 0.5};
    m_store.setSettings(settings);
    m_files.clearWritten();
    m_store.saveSettings();
    EXPECT_EQ(m_store.lastError(), std::nullopt);
    EXPECT_EQ(IndexStore(folder()).loadSettings(), settings);
    EXPECT_EQ(written(), QList<QByteArray>{"settings.json"});
}

// Updates refuse unknown tracks and unusable durations; durations fill only those missing.
TEST_F(LibraryStoreTest, UpdatesTakeOnlyKnownTracksAndUsableDurations)
{
    const QList<Track> tracks{makeTrack(u"有"_qs), makeTrack(u"无"_qs, {}), makeTrack(u"坏"_qs, {}),
                              makeTrack(u"无穷"_qs, {}), makeTrack(u"零"_qs, {})};
    startWith(tracks);
    EXPECT_FALSE(m_store.updateTrack(makeTrack(u"别的"_qs)));
    Track edited = tracks[1];
    edited.title = u"晴天 (Live)"_qs;
    for (const double duration : {nan, infinity, -infinity, -1.0}) {
        edited.duration = duration;
        EXPECT_FALSE(m_store.updateTrack(edited)) << duration;
    }
    m_store.updateDurations({});
    m_store.updateDurations({{tracks[0].id, 12.0}, {QUuid::createUuid(), 30.0}});
    EXPECT_EQ(m_store.index().tracks, tracks);
    EXPECT_TRUE(written().isEmpty());

    m_store.updateDurations({{tracks[0].id, 100.0}, {tracks[1].id, 187.5}, {tracks[2].id, nan},
                             {tracks[3].id, infinity}, {tracks[4].id, 0.0}});
    QList<double> durations;
    for (const Track &track : m_store.index().tracks)
        durations.append(track.duration);
    EXPECT_EQ(durations, (QList<double>{240, 187.5, 0, 0, 0}));
    EXPECT_EQ(writes("library.json"), 1);
    edited.duration = 0;
    EXPECT_TRUE(m_store.updateTrack(edited));
    EXPECT_EQ(m_store.index().tracks.at(1), edited) << "replaced in place";
    EXPECT_EQ(storedTracks(), m_store.index().tracks);
}

TEST_F(LibraryStoreTest, UpdateTrackURLsMatchesAfterStandardisationAndUnflags)
{
    Track moved = makeTrack(u"晴天"_qs, {.isMissing = true});
    moved.url = FileLocation::fromPath("/music/./old/../晴天.flac");
    const Track other = makeTrack(u"稻香"_qs);
    startWith({moved, other});

    m_store.updateTrackURLs({{FileLocation::fromPath("/music//晴天.flac"), FileLocation::fromPath("/new/./晴天.flac")}});
    moved.url = FileLocation::fromPath("/new/晴天.flac");
    moved.isMissing = false;
    EXPECT_EQ(m_store.index().tracks, (QList<Track>{moved, other}));
    EXPECT_EQ(writes("library.json"), 1);

    m_store.updateTrackURLs({{FileLocation::fromPath("/elsewhere.flac"), FileLocation::fromPath("/x.flac")}});
    EXPECT_EQ(writes("library.json"), 1) << "no track matched";
}

TEST_F(LibraryStoreTest, RemovingTracksClearsThemFromEveryPlaylistAndDeletesOnlyTheirCovers)
{
    const FileLocation audio = FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray("晴天.flac"));
    put(audio, "audio");
    Track removed = makeTrack(u"晴天"_qs);
    removed.url = audio;
    Track first = makeTrack(u"稻香"_qs), last = makeTrack(u"夜曲"_qs);
    startWith({first, removed, last},
              {Playlist{QUuid::createUuid(), u"全部"_qs, {first.id, removed.id, last.id}},
               Playlist{QUuid::createUuid(), u"单曲"_qs, {removed.id}}});
    m_store.setArtwork(QByteArray("cover"), removed.id);
    m_store.setArtwork(QByteArray("other cover"), first.id);
    first = m_store.index().tracks.first();
    m_files.clearWritten();

    m_store.removeTrack(removed.id);

    EXPECT_EQ(m_store.index().tracks, (QList<Track>{first, last}));
    ASSERT_EQ(m_store.playlists().size(), 2);
    EXPECT_EQ(m_store.playlists()[0].trackIDs, (QList<QUuid>{first.id, last.id}));
    EXPECT_EQ(m_store.playlists()[1].trackIDs, QList<QUuid>{}) << "an emptied playlist stays";
    EXPECT_FALSE(exists(coverFile(removed.id)));
    EXPECT_TRUE(exists(coverFile(first.id)));
    EXPECT_EQ(contents(audio), "audio");
    EXPECT_EQ(written(), (QList<QByteArray>{"library.json", "playlists.json"}));
    EXPECT_EQ(storedTracks(), m_store.index().tracks);
    EXPECT_EQ(storedPlaylists(), m_store.playlists());

    m_files.clearWritten();
    m_store.removeTracks({});
    EXPECT_TRUE(written().isEmpty()) << "an empty set does nothing at all";

    last.isMissing = true;
    ASSERT_TRUE(m_store.updateTrack(last));
    EXPECT_EQ(m_store.missingTracks(), QList<Track>{last});
    m_store.removeMissingTracks();
    EXPECT_EQ(m_store.index().tracks, QList<Track>{first});
}

TEST_F(LibraryStoreTest, SetArtworkWritesReplacesAndRemovesAPrivateCoverFileAndKeepsOneItCannotReplace)
{
    const Track track = makeTrack(u"晴天"_qs);
    startWith({track});
    EXPECT_EQ(m_store.artworkURL(track), std::nullopt);
    const QByteArray png = QByteArray::fromHex("89504e470d0a1a0a") + QByteArray(300'000, 'p');
    const FileLocation cover = coverFile(track.id);
    const auto current = [&] { return m_store.index().tracks.first(); };

    m_store.setArtwork(png, track.id);

    EXPECT_EQ(contents(cover), png);
    EXPECT_EQ(m_store.artworkURL(current()), cover);
    EXPECT_EQ(FileOperations::system().status(coversFolder()).value_or(FileStatus()).mode & 0777, 0700u);

    m_store.setArtwork(png + "more", track.id);
    EXPECT_EQ(contents(cover), png + "more") << "a new cover replaces the old file";
    EXPECT_EQ(QDir(coversFolder().displayPath()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList{cover.fileNameText()}) << "no temporary is left behind";
    m_files.clearWritten();
    for (const Operation operation : {Operation::CreateDirectories, Operation::WriteAtomically}) {
        m_files.failOnce(operation, ENOSPC, "covers");
        m_store.setArtwork(QByteArray("cover"), track.id);
        expectError(ENOSPC);
    }
    EXPECT_EQ(contents(cover), png + "more");
    EXPECT_EQ(m_store.artworkURL(current()), cover);
    EXPECT_EQ(writes("library.json"), 0);
    ASSERT_TRUE(FileOperations::system().remove(cover));
    EXPECT_EQ(m_store.artworkURL(current()), std::nullopt) << "the file must be there";

    m_store.setArtwork(QByteArray("cover"), track.id);
    m_store.setArtwork(std::nullopt, track.id);
    EXPECT_EQ(current().artworkFileName, std::nullopt);
    EXPECT_FALSE(exists(cover));
    EXPECT_EQ(storedTracks(), m_store.index().tracks);
}

TEST_F(LibraryStoreTest, TrackEditsAreSavedOnceWithTheirCoversWrittenOrRemoved)
{
    Track plain = makeTrack(u"A"_qs), covered = makeTrack(u"B"_qs), stranger = makeTrack(u"C"_qs);
    startWith({plain, covered});
    m_store.setArtwork(QByteArray("old"), covered.id);
    covered = m_store.index().tracks.at(1);
    Track unusable = plain;
    unusable.duration = nan;
    m_files.clearWritten();
    m_store.applyTrackEdits({{stranger, false, {}}, {unusable, true, std::nullopt}});
    EXPECT_TRUE(written().isEmpty()) << "edits of unknown tracks and unusable durations are skipped";
    EXPECT_EQ(m_store.index().tracks.at(0), plain);

    Track retitled = plain;
    retitled.title = u"新"_qs;
    retitled.artworkFileName = u"ignored.jpg"_qs; // the store decides the cover's name
    Track uncovered = covered;
    uncovered.title = u"旧"_qs;
    m_store.applyTrackEdits({{retitled, true, QByteArray("image")}, {uncovered, true, std::nullopt}, {stranger, false, {}}});

    EXPECT_EQ(writes("library.json"), 1);
    retitled.artworkFileName = Json::uuidText(plain.id) + u".jpg"_qs;
    uncovered.artworkFileName.reset();
    EXPECT_EQ(storedTracks(), (QList<Track>{retitled, uncovered}));
    EXPECT_EQ(contents(coverFile(plain.id)), QByteArray("image"));
    EXPECT_FALSE(exists(coverFile(covered.id)));

    // Without a cover change the entry keeps the cover it has.
    Track again = retitled;
    again.artworkFileName.reset();
    m_store.applyTrackEdits({{again, false, {}}});
    EXPECT_EQ(m_store.index().tracks.at(0).artworkFileName, retitled.artworkFileName);
}

// Covers read a few at a time: `take` counts what is handed over and where.
struct Taken
{
    QHash<QByteArray, QByteArray> covers;
    int calls = 0;
    bool offGuiThread = false;
};

ArtworkFetch *fetchInto(Taken &taken, const QList<FileLocation> &files, const std::shared_ptr<FakeCoverReader> &reader,
                        int parallel, QObject *owner = nullptr)
{
    return new ArtworkFetch(
        files, reader,
        [&taken, reader](const FileLocation &file, const QByteArray &cover) {
            --reader->held;
            ++taken.calls;
            taken.offGuiThread = taken.offGuiThread || QThread::currentThread() != QCoreApplication::instance()->thread();
            taken.covers.insert(file.path(), cover);
        },
        parallel, owner);
}

TEST(ArtworkFetch, HandsOverEveryCoverOnceOnTheStartingThread)
{
    auto reader = std::make_shared<FakeCoverReader>(QHash<QByteArray, QByteArray>{
        {"/music/a.flac", "cover a"}, {"/music/b.mp3", "unreadable"}, {"/music/d.m4a", "throws"},
        {"/music/e.flac", ""}, {"/music/./x.flac", "cover x"}});
    QList<FileLocation> files;
    for (const char *path : {"/music/a.flac", "/music/b.mp3", "/music/c.wav", "/music/d.m4a", "/music/e.flac",
                             "/music/./x.flac", "/music//y/../x.flac"})
        files.append(FileLocation::fromPath(path));
    Taken taken;
    QPointer<ArtworkFetch> fetch = fetchInto(taken, files, reader, 2);

    ASSERT_TRUE(waitFor(fetch->future()));

    const QHash<QByteArray, QByteArray> expected{{"/music/a.flac", "cover a"}, {"/music/e.flac", ""},
                                                 {"/music/x.flac", "cover x"}};
    EXPECT_EQ(taken.covers, expected) << "an empty cover is still a cover; no cover, no file, no call";
    EXPECT_EQ(taken.calls, 3);
    EXPECT_EQ(reader->readPaths.count("/music/./x.flac"), 1) << "read once, through the first stored location";
    EXPECT_FALSE(reader->readPaths.contains("/music//y/../x.flac"));
    EXPECT_FALSE(taken.offGuiThread);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(fetch.isNull()) << "a finished fetch deletes itself";

    EXPECT_TRUE(fetchInto(taken, {}, reader, 2)->future().isFinished());
    EXPECT_EQ(taken.calls, 3) << "nothing to read finishes at once";
}

TEST(ArtworkFetch, HoldsNoMoreCoversThanItsParallelismAndStopsWhenDeleted)
{
    QHash<QByteArray, QByteArray> covers;
    QList<FileLocation> files;
    for (int i = 0; i < 200; ++i) {
        const QByteArray path = "/music/" + QByteArray::number(i) + ".flac";
        covers.insert(path, QByteArray(10'000, char('a' + i % 26)));
        files.append(FileLocation::fromPath(path));
    }
    auto reader = std::make_shared<FakeCoverReader>(covers);
    Taken taken;
    ASSERT_TRUE(waitFor(fetchInto(taken, files, reader, 3)->future()));
    EXPECT_EQ(taken.calls, 200);
    EXPECT_EQ(taken.covers, covers);
    EXPECT_LE(reader->maxHeld.load(), 3);
    EXPECT_GE(reader->maxHeld.load(), 2) << "reads do run side by side";

    Taken none;
    auto *owner = new QObject;
    auto fresh = std::make_shared<FakeCoverReader>(covers);
    const QFuture<void> future = fetchInto(none, files, fresh, 2, owner)->future();
    delete owner;
    QThreadPool::globalInstance()->waitForDone();
    QCoreApplication::processEvents();
    EXPECT_TRUE(future.isCanceled() && future.isFinished());
    EXPECT_EQ(none.calls, 0);
    EXPECT_LE(fresh->readPaths.size(), 2) << "no read starts after the fetch is gone";
}

} // namespace
