#include "FaultInjectingFileOperations.h"
#include "Models/Playlist.h"
#include "Storage/BackupJSON.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class BackupJSONTest : public ::testing::Test
{
protected:
    FileLocation journal() const { return FileLocation::fromLocalFile(m_dir.path()).appending(QByteArray("undo/j.json")); }
    FileLocation backup() const { return journal().withSuffix(".bak"); }
    QByteArray read(const FileLocation &file) { return FileOperations::system().readAll(file).value_or("<none>"); }

    QTemporaryDir m_dir;
    const QList<Playlist> m_first{{QUuid::createUuid(), QStringLiteral("一"), {}}};
    const QList<Playlist> m_second{{QUuid::createUuid(), QStringLiteral("二"), {QUuid::createUuid()}}};
};

} // namespace

TEST_F(BackupJSONTest, SaveKeepsThePreviousGenerationAsBackup)
{
    ASSERT_TRUE(BackupJSON::save(m_first, journal()));
    EXPECT_FALSE(FileOperations::system().exists(backup()));
    const QByteArray firstBytes = read(journal());
    ASSERT_TRUE(BackupJSON::save(m_second, journal()));
    EXPECT_EQ(read(backup()), firstBytes);
    const auto loaded = BackupJSON::load<QList<Playlist>>(journal());
    EXPECT_EQ(loaded.source, LoadSource::Primary);
    EXPECT_EQ(loaded.value, m_second);
}

TEST_F(BackupJSONTest, LoadFallsBackAndReportsTheSource)
{
    EXPECT_EQ(BackupJSON::load<QList<Playlist>>(journal()).source, LoadSource::Absent);
    ASSERT_TRUE(BackupJSON::save(QList<Playlist>{}, journal()));
    const auto empty = BackupJSON::load<QList<Playlist>>(journal());
    EXPECT_EQ(empty.source, LoadSource::Primary);
    EXPECT_EQ(empty.value, QList<Playlist>{});

    ASSERT_TRUE(BackupJSON::save(m_first, journal()));
    ASSERT_TRUE(FileOperations::system().writeAtomically(journal(), "{ damaged"));
    const auto fallback = BackupJSON::load<QList<Playlist>>(journal());
    EXPECT_EQ(fallback.source, LoadSource::Backup);
    EXPECT_EQ(fallback.value, QList<Playlist>{});

    ASSERT_TRUE(FileOperations::system().writeAtomically(backup(), "also damaged"));
    const auto nothing = BackupJSON::load<QList<Playlist>>(journal());
    EXPECT_EQ(nothing.source, LoadSource::Unreadable);
    EXPECT_FALSE(nothing.value.has_value());
}

TEST_F(BackupJSONTest, AFailedBackupCopyLeavesTheJournalUnchanged)
{
    FaultInjectingFileOperations files;
    ASSERT_TRUE(BackupJSON::save(m_first, journal(), files));
    const QByteArray before = read(journal());
    files.failOnce(FileOperations::Operation::Copy, EIO);
    EXPECT_FALSE(BackupJSON::save(m_second, journal(), files));
    EXPECT_EQ(read(journal()), before);
}

TEST_F(BackupJSONTest, RemoveTakesBothFilesAndStopsAtTheFirstFailure)
{
    EXPECT_TRUE(BackupJSON::remove(journal()));
    ASSERT_TRUE(FileOperations::system().createDirectories(journal().deletingLastPathComponent()));
    ASSERT_TRUE(FileOperations::system().writeAtomically(backup(), "[]"));
    EXPECT_TRUE(BackupJSON::remove(journal()));
    EXPECT_FALSE(FileOperations::system().exists(backup()));

    ASSERT_TRUE(BackupJSON::save(m_first, journal()));
    ASSERT_TRUE(BackupJSON::save(m_second, journal()));
    FaultInjectingFileOperations files;
    files.failOnce(FileOperations::Operation::Remove, EIO, "j.json");
    EXPECT_FALSE(BackupJSON::remove(journal(), files));
    EXPECT_TRUE(FileOperations::system().exists(backup()));
}
