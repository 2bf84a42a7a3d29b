#include "FaultInjectingFileOperations.h"
#include "Library/IndexStore.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace {

class IndexStoreTest : public ::testing::Test
{
protected:
    FileLocation folder() const { return FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray("Quillmere")); }
    FileLocation file(const char *name) const { return folder().appending(QByteArray(name)); }
    QByteArray read(const char *name) { return FileOperations::system().readAll(file(name)).value_or("<none>"); }
    void put(const char *name, const QByteArray &bytes)
    {
        ASSERT_TRUE(FileOperations::system().createDirectories(folder()));
        ASSERT_TRUE(FileOperations::system().writeAtomically(file(name), bytes));
    }
    bool exists(const char *name) { return FileOperations::system().exists(file(name)); }

    static LibraryIndex libraryWith(const QString &title)
    {
        Track track;
        track.id = QUuid::createUuid();
        track.url = FileLocation::fromPath("/music/" + title.toUtf8() + ".mp3");
        track.title = title;
        return LibraryIndex{{track}, {FileLocation::fromPath("/music")}};
    }

    QTemporaryDir m_dir;
    FaultInjectingFileOperations m_files;
    IndexStore m_store{folder(), m_files};
};

} // namespace

TEST_F(IndexStoreTest, NothingOnDiskGivesDefaults)
{
    const auto settings = m_store.loadSettingsOutcome();
    EXPECT_EQ(settings.source, LoadSource::Absent);
    EXPECT_EQ(settings.value, AppSettings());
    EXPECT_TRUE(m_store.loadIndex().tracks.isEmpty());
    EXPECT_TRUE(m_store.loadPlaylists().isEmpty());
}

TEST_F(IndexStoreTest, FirstSaveCreatesAPrivateFolderAndNoBackup)
{
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("晴天"))));
    struct stat info {};
    ASSERT_EQ(::stat(folder().cPath(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(QDir(m_dir.path() + QStringLiteral("/Quillmere")).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("library.json")});
    EXPECT_EQ(m_store.loadIndex().tracks.first().title, QStringLiteral("晴天"));
}

TEST_F(IndexStoreTest, TwoSavesLeaveTheFirstAsBackup)
{
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("一"))));
    const QByteArray first = read("library.json");
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("二"))));
    EXPECT_EQ(read("library.json.bak"), first);
    EXPECT_FALSE(exists("library.json.tmp"));
}

TEST_F(IndexStoreTest, DamagedMainFileLoadsFromBackupUntilTheNextSave)
{
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("一"))));
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("二"))));
    const QByteArray goodBackup = read("library.json.bak");
    put("library.json", "{ not json");

    const auto loaded = m_store.decode<LibraryIndex>(file("library.json"));
    EXPECT_EQ(loaded.source, LoadSource::Backup);
    EXPECT_EQ(loaded.value->tracks.first().title, QStringLiteral("一"));
    EXPECT_EQ(read("library.json"), QByteArray("{ not json")); // loading touches nothing

    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("三"))));
    EXPECT_EQ(read("library.json.bak"), goodBackup);
    EXPECT_EQ(m_store.loadIndex().tracks.first().title, QStringLiteral("三"));
    EXPECT_FALSE(exists("library.json.corrupt")); // the backup already holds good content
}

TEST_F(IndexStoreTest, ADamagedFileWithNoGoodBackupIsKeptAside)
{
    put("playlists.json", "{\"valid\": \"json but not an array\"}");
    const auto loaded = m_store.decode<QList<Playlist>>(file("playlists.json"));
    EXPECT_EQ(loaded.source, LoadSource::Unreadable);

    ASSERT_TRUE(m_store.savePlaylists({}));
    EXPECT_EQ(read("playlists.json.corrupt"), QByteArray("{\"valid\": \"json but not an array\"}"));
    EXPECT_FALSE(exists("playlists.json.bak"));
    EXPECT_EQ(m_store.decode<QList<Playlist>>(file("playlists.json")).source, LoadSource::Primary);
}

TEST_F(IndexStoreTest, MissingMainFileFallsBackToBackup)
{
    put("settings.json.bak", R"({"themeMode": "dark"})");
    auto loaded = m_store.loadSettingsOutcome();
    EXPECT_EQ(loaded.source, LoadSource::Backup);
    EXPECT_EQ(loaded.value->themeMode, QStringLiteral("dark"));

    put("settings.json.bak", "garbage");
    loaded = m_store.loadSettingsOutcome();
    EXPECT_EQ(loaded.source, LoadSource::Unreadable);
    EXPECT_EQ(loaded.value, AppSettings());
}

TEST_F(IndexStoreTest, AFailedBackupCopyFailsTheSaveAndChangesNothing)
{
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("一"))));
    const QByteArray before = read("library.json");
    m_files.failOnce(FileOperations::Operation::Copy, EIO, "library.json.bak");
    const auto saved = m_store.saveIndex(libraryWith(QStringLiteral("二")));
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().code, EIO);
    EXPECT_EQ(read("library.json"), before);
    EXPECT_FALSE(exists("library.json.tmp"));
}

TEST_F(IndexStoreTest, AFailedReplaceRemovesTheTemporaryFile)
{
    ASSERT_TRUE(m_store.saveSettings(AppSettings()));
    m_files.failOnce(FileOperations::Operation::Replace, ENOSPC);
    AppSettings changed;
    changed.themeMode = QStringLiteral("light");
    EXPECT_FALSE(m_store.saveSettings(changed));
    EXPECT_FALSE(exists("settings.json.tmp"));
    EXPECT_EQ(m_store.loadSettings(), AppSettings());
}

TEST_F(IndexStoreTest, AFolderThatCannotBeCreatedFailsBeforeAnyWrite)
{
    ASSERT_TRUE(FileOperations::system().writeAtomically(FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray("Quillmere")), "a file, not a folder"));
    const auto saved = m_store.saveSettings(AppSettings());
    ASSERT_FALSE(saved);
    EXPECT_EQ(saved.error().code, ENOTDIR);
}

TEST_F(IndexStoreTest, ALeftoverTemporaryFileIsIgnoredAndReplaced)
{
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("一"))));
    put("library.json.tmp", "half a libr");
    EXPECT_EQ(m_store.loadIndex().tracks.first().title, QStringLiteral("一"));
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("二"))));
    EXPECT_FALSE(exists("library.json.tmp"));
    EXPECT_EQ(m_store.loadIndex().tracks.first().title, QStringLiteral("二"));
}

TEST_F(IndexStoreTest, AFileChangedByAnotherProgramIsCheckedBeforeItBecomesTheBackup)
{
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("一"))));
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("二"))));
    const QByteArray goodBackup = read("library.json.bak");
    put("library.json", "{ damaged by someone else");
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("三"))));
    EXPECT_EQ(read("library.json.bak"), goodBackup);
}

TEST_F(IndexStoreTest, AnUnreadableFileIsKeptBeforeItIsReplacedOrNotReplacedAtAll)
{
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("旧"))));
    ASSERT_TRUE(m_store.saveIndex(libraryWith(QStringLiteral("新"))));
    const QByteArray newer = read("library.json");
    const QByteArray older = read("library.json.bak");
    using Operation = FileOperations::Operation;
    IndexStore restarted(folder(), m_files);

    // The file cannot be read (as when permission is denied) and cannot be kept: no save.
    m_files.failOnce(Operation::Read, EACCES, "library.json");
    EXPECT_EQ(restarted.decode<LibraryIndex>(file("library.json")).source, LoadSource::Backup);
    m_files.failOnce(Operation::Read, EACCES, "library.json");
    m_files.failOnce(Operation::Copy, EIO, "library.json.corrupt");
    EXPECT_FALSE(restarted.saveIndex(libraryWith(QStringLiteral("备份之后"))));
    EXPECT_EQ(read("library.json"), newer);

    // It can be kept: the save goes on and the newer content stays beside it.
    m_files.failOnce(Operation::Read, EACCES, "library.json");
    ASSERT_TRUE(restarted.saveIndex(libraryWith(QStringLiteral("备份之后"))));
    EXPECT_EQ(read("library.json.corrupt"), newer);
    EXPECT_EQ(read("library.json.bak"), older);
    EXPECT_EQ(m_store.loadIndex().tracks.first().title, QStringLiteral("备份之后"));
}

TEST_F(IndexStoreTest, ADamagedFileThatCannotBeKeptAsideDoesNotStopTheSave)
{
    put("settings.json", "{ not json");
    m_files.failOnce(FileOperations::Operation::Copy, EIO, "settings.json.corrupt");
    AppSettings changed;
    changed.themeMode = QStringLiteral("light");
    ASSERT_TRUE(m_store.saveSettings(changed));
    EXPECT_EQ(m_store.loadSettings(), changed);
}
