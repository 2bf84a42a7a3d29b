#include "FaultInjectingFileOperations.h"
#include "Library/IndexStore.h"
#include "Library/LibraryStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <csignal>
#include <ranges>
#include <cstdio>

namespace {

using Operation = FileOperations::Operation;

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
    template <typename Outcome>
    static int errorOf(const Outcome &outcome) { return outcome ? 0 : outcome.error().code; }
    QString storedTitle() { return m_store.loadIndex().tracks.value(0).title; }
    bool save(const QString &title) { return bool(m_store.saveIndex(libraryWith(title))); }
    static LibraryIndex libraryWith(const QString &title)
    {
        const Track track{.id = QUuid::createUuid(), .url = FileLocation::fromPath("/music/" + title.toUtf8()), .title = title};
        return LibraryIndex{{track}, {FileLocation::fromPath("/music")}};
    }

    QTemporaryDir m_dir;
    FaultInjectingFileOperations m_files;
    IndexStore m_store{folder(), m_files};
};

TEST_F(IndexStoreTest, SavesKeepThePreviousGenerationAsBackupInAPrivateFolder)
{
    ASSERT_TRUE(save(u"一"_qs));
    EXPECT_EQ(FileOperations::system().status(folder()).value_or(FileStatus()).mode & 0777, 0700u);
    EXPECT_EQ(QDir(folder().displayPath()).entryList(QDir::Files | QDir::Hidden), QStringList{u"library.json"_qs});
    const QByteArray first = read("library.json");

    put("library.json.tmp", "half a libr"); // a save cut short: ignored, then replaced
    EXPECT_EQ(storedTitle(), u"一"_qs);
    ASSERT_TRUE(save(u"二"_qs));
    EXPECT_EQ(read("library.json.bak"), first);
    EXPECT_FALSE(exists("library.json.tmp"));
    EXPECT_EQ(storedTitle(), u"二"_qs);
}

// Loading from the backup is checked by the library store's load notices.
TEST_F(IndexStoreTest, ADamagedMainFileNeverBecomesTheBackup)
{
    ASSERT_TRUE(save(u"一"_qs));
    ASSERT_TRUE(save(u"二"_qs));
    const QByteArray goodBackup = read("library.json.bak");
    put("library.json", "{ not json");
    ASSERT_TRUE(save(u"三"_qs));
    EXPECT_EQ(read("library.json.bak"), goodBackup);
    EXPECT_EQ(storedTitle(), u"三"_qs);
    EXPECT_FALSE(exists("library.json.corrupt")); // the backup already holds good content

    // Damaged by another program, unseen by this one: checked before it becomes the backup.
    put("library.json", "{ damaged by someone else");
    ASSERT_TRUE(IndexStore(folder(), m_files).saveIndex(libraryWith(u"四"_qs)));
    EXPECT_EQ(read("library.json.bak"), goodBackup);
}

TEST_F(IndexStoreTest, ADamagedFileWithNoGoodBackupIsKeptAsideIfItCanBe)
{
    put("playlists.json", "{\"valid\": \"json but not an array\"}");
    put("playlists.json.bak", "damaged too");
    ASSERT_TRUE(m_store.savePlaylists({}));
    EXPECT_EQ(read("playlists.json.corrupt"), QByteArray("{\"valid\": \"json but not an array\"}"));
    EXPECT_EQ(read("playlists.json.bak"), QByteArray("damaged too"));

    put("settings.json", "{ not json");
    m_files.failOnce(Operation::Copy, EIO, "settings.json.corrupt");
    const AppSettings changed{.themeMode = u"light"_qs};
    ASSERT_TRUE(m_store.saveSettings(changed));
    EXPECT_EQ(m_store.loadSettings(), changed);
}

TEST_F(IndexStoreTest, AFailedSaveChangesNothingAndLeavesNoTemporary)
{
    ASSERT_TRUE(save(u"一"_qs));
    const QByteArray before = read("library.json");
    m_files.failOnce(Operation::Copy, EIO, "library.json.bak");
    EXPECT_EQ(errorOf(m_store.saveIndex(libraryWith(u"二"_qs))), EIO);
    m_files.failOnce(Operation::Replace, ENOSPC);
    EXPECT_FALSE(save(u"二"_qs));
    EXPECT_EQ(read("library.json"), before);
    EXPECT_FALSE(exists("library.json.tmp"));

    QTemporaryDir other;
    const FileLocation blocker = FileLocation::fromLocalFile(other.path()).appending(QByteArray("Quillmere"));
    ASSERT_TRUE(FileOperations::system().writeAtomically(blocker, "a file, not a folder"));
    EXPECT_EQ(errorOf(IndexStore(blocker).saveSettings(AppSettings())), ENOTDIR);
}

TEST_F(IndexStoreTest, AnUnreadableFileIsKeptBeforeItIsReplacedOrNotReplacedAtAll)
{
    ASSERT_TRUE(save(u"旧"_qs));
    ASSERT_TRUE(save(u"新"_qs));
    const QByteArray newer = read("library.json"), older = read("library.json.bak");
    IndexStore restarted(folder(), m_files);

    // The file cannot be read (as when permission is denied) and cannot be kept: no save.
    m_files.failOnce(Operation::Read, EACCES, "library.json");
    EXPECT_EQ(restarted.decode<LibraryIndex>(file("library.json")).source, LoadSource::Backup);
    m_files.failOnce(Operation::Read, EACCES, "library.json");
    m_files.failOnce(Operation::Copy, EIO, "library.json.corrupt");
    EXPECT_FALSE(restarted.saveIndex(libraryWith(u"备份之后"_qs)));
    EXPECT_EQ(read("library.json"), newer);

    // It can be kept: the save goes on and the newer content stays beside it.
    m_files.failOnce(Operation::Read, EACCES, "library.json");
    ASSERT_TRUE(restarted.saveIndex(libraryWith(u"备份之后"_qs)));
    EXPECT_EQ(read("library.json.corrupt"), newer);
    EXPECT_EQ(read("library.json.bak"), older);
    EXPECT_EQ(storedTitle(), u"备份之后"_qs);
}

// A child process saves two large libraries alternately, forever; the parent kills it with SIGKILL
// at random moments and checks that what loads afterwards is always one of the two, whole.
constexpr int firstCount = 20000;
constexpr int secondCount = 20001;
const char *childVariable = "QUILLMERE_CRASH_CHILD_DIR";

QString titleOf(int count, int i)
{
    return (count == firstCount ? u"A"_qs : u"B"_qs) + QString::number(i) + u" 晴天"_qs;
}

LibraryIndex libraryOf(int count)
{
    LibraryIndex index;
    for (int i = 0; i < count; ++i)
        index.tracks.append({.id = QUuid::createUuid(), .url = FileLocation::fromPath("/音乐/" + QByteArray::number(i) + ".flac"),
                             .title = titleOf(count, i), .artist = u"周杰伦"_qs, .duration = 200.0 + i % 100});
    return index;
}

bool isWholeLibrary(const LibraryIndex &index)
{
    const int count = int(index.tracks.size());
    const auto titled = [&](int i) { return index.tracks.at(i).title == titleOf(count, i); };
    return (count == firstCount || count == secondCount) && std::ranges::all_of(std::views::iota(0, count), titled);
}

TEST(IndexStoreCrashChild, SavesForever)
{
    const QByteArray folder = qgetenv(childVariable);
    if (folder.isEmpty())
        GTEST_SKIP() << "runs only as the child of the crash test";
    IndexStore store(FileLocation::fromPath(folder));
    const LibraryIndex first = libraryOf(firstCount), second = libraryOf(secondCount);
    // Tells the parent that saving starts now, so its kills land during saves however slow the machine is.
    std::fputs("saving\n", stdout);
    std::fflush(stdout);
    for (int round = 0;; ++round)
        ASSERT_TRUE(store.saveIndex(round % 2 == 0 ? first : second));
}

TEST(IndexStoreCrash, KilledSavesNeverLeaveAPartialLibrary)
{
    QTemporaryDir dir;
    const FileLocation folder = FileLocation::fromLocalFile(dir.path()).appending(QByteArray("data"));
    ASSERT_TRUE(IndexStore(folder).saveIndex(libraryOf(firstCount)));
    QRandomGenerator random(QRandomGenerator::global()->generate());
    for (int round = 0; round < 100; ++round) {
        QProcess child;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QString::fromLatin1(childVariable), QString::fromUtf8(folder.path()));
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        child.start(QCoreApplication::applicationFilePath(), {u"--gtest_filter=IndexStoreCrashChild.SavesForever"_qs});
        ASSERT_TRUE(child.waitForStarted());
        QByteArray output;
        while (!(output += child.readAllStandardOutput()).contains("saving"))
            ASSERT_TRUE(child.waitForReadyRead(60000)) << "the child never started saving";
        QThread::msleep(random.bounded(400));
        ::kill(pid_t(child.processId()), SIGKILL);
        child.waitForFinished();
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the child stopped on its own";

        const auto loaded = IndexStore(folder).decode<LibraryIndex>(folder.appending(QByteArray("library.json")));
        ASSERT_TRUE(loaded.value.has_value()) << "round " << round;
        ASSERT_TRUE(isWholeLibrary(*loaded.value)) << "round " << round;
    }
    // The next start clears the temporaries of the saves that were cut short.
    LibraryStore(folder).load();
    const QStringList hidden = QDir(dir.path() + u"/data"_qs).entryList({u".*"_qs}, QDir::Files | QDir::Hidden);
    EXPECT_TRUE(hidden.isEmpty()) << hidden.join(u' ').toStdString();
}

} // namespace
