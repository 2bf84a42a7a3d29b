#include "OrganizeFixture.h"

#include "Organize/OrganizeUndoStore.h"

#include "FaultInjectingFileOperations.h"
#include "Storage/FileTime.h"
#include "Storage/JsonFile.h"

#include <QJsonArray>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <unistd.h>

using namespace OrganizeFixture;
using Operation = FileOperations::Operation;

namespace {

class OrganizeUndoStoreTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_temporary.isValid()); }

    FileLocation at(const QByteArray &relative) const { return m_base.appending(relative); }
    FileLocation journal() const { return m_folder.appending(OrganizeUndoStore::journalFileName); }
    OrganizePlanItem item(const QByteArray &name) const
    {
        return { at("in/" + name), at("out/" + name), false };
    }
    // An organisation whose files now stand at their destinations.
    QList<OrganizePlanItem> placed(const QList<QByteArray> &names)
    {
        QList<OrganizePlanItem> items;
        for (const QByteArray &name : names) {
            items.append(item(name));
            writeFile(items.last().destination, name);
        }
        return items;
    }

    QTemporaryDir m_temporary;
    FileLocation m_base = locationOf(m_temporary);
    FileLocation m_folder = m_base.appending(QByteArray("data/undo"));
    FaultInjectingFileOperations m_files;
};

TEST_F(OrganizeUndoStoreTest, RecordingBeyondTheLimitDropsTheOldestInMemoryAndOnDisk)
{
    OrganizeUndoStore store(m_folder, 50, m_files);
    for (int i = 0; i < 51; ++i)
        ASSERT_TRUE(store.record({ item(QByteArray::number(i)) }, false));

    ASSERT_EQ(store.entries().size(), 50);
    EXPECT_EQ(store.entries().first().items, QList<OrganizePlanItem> { item("1") });
    const OrganizeUndoStore reloaded(m_folder, 50, m_files);
    EXPECT_EQ(reloaded.entries(), store.entries());
    EXPECT_FALSE(reloaded.loadNotice());
}

TEST_F(OrganizeUndoStoreTest, LimitBelowOneCountsAsOne)
{
    OrganizeUndoStore store(m_folder, 0, m_files);
    ASSERT_TRUE(store.record({ item("a") }, false));
    ASSERT_TRUE(store.record({ item("b") }, true));

    EXPECT_EQ(store.limit(), 1);
    ASSERT_EQ(store.entries().size(), 1);
    EXPECT_TRUE(store.entries()[0].copy);
}

TEST_F(OrganizeUndoStoreTest, LargerJournalLoadsAsItsNewestEntries)
{
    QList<OrganizeUndoEntry> entries;
    for (int i = 0; i < 80; ++i)
        entries.append({ { item(QByteArray::number(i)) }, false, double(i), {} });
    writeFile(journal(), JsonFile::encode(entries));

    const OrganizeUndoStore store(m_folder, 50, m_files);

    EXPECT_EQ(store.entries(), entries.mid(30));
}

TEST_F(OrganizeUndoStoreTest, JournalIsWrittenWithTheStoredKeysAndTypes)
{
    OrganizeUndoStore store(m_folder, 50, m_files);
    const OrganizePlanItem chinese { at("in/歌 1.flac"), at("out/歌手/歌 1 (2).flac"), true };
    ASSERT_TRUE(store.record({ chinese }, true));

    const auto json = JsonFile::parse(*contentOf(journal()));
    ASSERT_TRUE(json && json->isArray());
    const QJsonObject entry = json->toArray().at(0).toObject();
    EXPECT_EQ(entry.keys(), (QStringList { "copy", "date", "items" }));
    EXPECT_EQ(entry.value("copy"), QJsonValue(true));
    EXPECT_NEAR(entry.value("date").toDouble(), FileTime::nowReferenceSeconds(), 60);
    const QJsonObject object = entry.value("items").toArray().at(0).toObject();
    EXPECT_EQ(object.keys(), (QStringList { "conflictResolved", "destination", "source" }));
    EXPECT_EQ(object.value("conflictResolved"), QJsonValue(true));
    EXPECT_EQ(object.value("source").toString(), chinese.source.urlText());
    EXPECT_EQ(OrganizeUndoStore(m_folder, 50, m_files).entries()[0].items[0], chinese);
}

TEST_F(OrganizeUndoStoreTest, DamagedJournalFallsBackToItsBackupThenStartsEmpty)
{
    {
        OrganizeUndoStore store(m_folder, 50, m_files);
        ASSERT_TRUE(store.record({ item("a") }, false));
        ASSERT_TRUE(store.record({ item("b") }, false)); // the first version becomes the backup
    }
    // An entry without "date" does not decode.
    writeFile(journal(), R"([{"copy": false, "items": []}])");
    const OrganizeUndoStore fromBackup(m_folder, 50, m_files);
    EXPECT_EQ(fromBackup.loadNotice(), QStringLiteral("整理撤销记录已从备份恢复。"));
    ASSERT_EQ(fromBackup.entries().size(), 1);
    EXPECT_EQ(fromBackup.entries()[0].items, QList<OrganizePlanItem> { item("a") });

    writeFile(JsonFile::backupOf(journal()), "{");
    const OrganizeUndoStore unreadable(m_folder, 50, m_files);
    EXPECT_EQ(unreadable.loadNotice(), QStringLiteral("整理撤销记录已损坏，无法读取。"));
    EXPECT_TRUE(unreadable.entries().isEmpty());
}

TEST_F(OrganizeUndoStoreTest, FailedRecordLeavesTheEntriesAsTheyWere)
{
    OrganizeUndoStore store(m_folder, 50, m_files);
    ASSERT_TRUE(store.record({ item("a") }, false));
    m_files.failOnce(Operation::WriteAtomically, ENOSPC);

    const auto recorded = store.record({ item("b") }, false);

    ASSERT_FALSE(recorded);
    EXPECT_EQ(recorded.error().fileError().code, ENOSPC);
    EXPECT_EQ(store.entries().size(), 1);
    EXPECT_TRUE(store.record({}, false));
    EXPECT_EQ(store.entries().size(), 1);
}

TEST_F(OrganizeUndoStoreTest, UndoWithAnEmptyJournalReturnsNothing)
{
    OrganizeUndoStore store(m_folder, 50, m_files);
    const auto undone = store.undoLast();
    ASSERT_TRUE(undone);
    EXPECT_FALSE(*undone);
}

TEST_F(OrganizeUndoStoreTest, UndoOfFilesDeletedSinceReturnsAnEmptyListAndDropsTheEntry)
{
    OrganizeUndoStore store(m_folder, 50, m_files);
    ASSERT_TRUE(store.record({ item("a"), item("b") }, false));

    const auto undone = store.undoLast();

    ASSERT_TRUE(undone && *undone);
    EXPECT_TRUE((*undone)->isEmpty());
    EXPECT_TRUE(store.entries().isEmpty());
}

TEST_F(OrganizeUndoStoreTest, SecondUndoTakesTheNextOlderEntry)
{
    OrganizeUndoStore store(m_folder, 50, m_files);
    ASSERT_TRUE(store.record(placed({ "older" }), false));
    ASSERT_TRUE(store.record(placed({ "newer" }), false));

    ASSERT_EQ(store.undoLast()->value(), QList<OrganizePlanItem> { item("newer") });
    ASSERT_EQ(store.undoLast()->value(), QList<OrganizePlanItem> { item("older") });
    EXPECT_EQ(contentOf(item("older").source), "older");
    EXPECT_FALSE(store.undoLast()->has_value());
}

TEST_F(OrganizeUndoStoreTest, SaveFailureAfterACompleteUndoKeepsTheEntry)
{
    OrganizeUndoStore store(m_folder, 50, m_files);
    ASSERT_TRUE(store.record(placed({ "a" }), false));
    m_files.failOnce(Operation::WriteAtomically, EIO);

    const auto undone = store.undoLast();

    ASSERT_FALSE(undone);
    EXPECT_EQ(undone.error().kind(), OrganizeError::Kind::File);
    EXPECT_EQ(contentOf(item("a").source), "a");
    EXPECT_EQ(store.entries().size(), 1);
    EXPECT_EQ(OrganizeUndoStore(m_folder, 50, m_files).entries().size(), 1);
}

TEST_F(OrganizeUndoStoreTest, UndoOfACopyRemovesOnlyCopiesOfTheOriginalInPlace)
{
    OrganizeUndoStore store(m_folder, 50, m_files);
    const QList<OrganizePlanItem> items { item("copy"), item("replaced"), item("linked"), item("folder") };
    for (const OrganizePlanItem &planned : items) {
        writeFile(planned.source, "original");
        ASSERT_TRUE(m_files.createDirectories(planned.destination.deletingLastPathComponent(), 0755));
    }
    ASSERT_TRUE(m_files.copyFile(items[0].source, items[0].destination));
    // The original was deleted and another file of the same size now stands at its path.
    ASSERT_TRUE(m_files.copyFile(items[1].source, items[1].destination));
    ASSERT_TRUE(m_files.remove(items[1].source));
    writeFile(items[1].source, "another!");
    ASSERT_EQ(::link(items[2].source.cPath(), items[2].destination.cPath()), 0);
    writeFile(items[3].destination.appending(QByteArray("inside")), "user's file");
    ASSERT_TRUE(store.record(items, true));

    const auto undone = store.undoLast();

    ASSERT_TRUE(undone && *undone);
    EXPECT_EQ(**undone, QList<OrganizePlanItem> { items[0] });
    EXPECT_FALSE(m_files.exists(items[0].destination));
    EXPECT_EQ(contentOf(items[1].destination), "original");
    EXPECT_EQ(contentOf(items[1].source), "another!");
    EXPECT_EQ(contentOf(items[2].destination), "original");
    EXPECT_EQ(contentOf(items[3].destination.appending(QByteArray("inside"))), "user's file");
}

TEST_F(OrganizeUndoStoreTest, UnexaminableDestinationFailsTheUndoAndKeepsTheEntry)
{
    OrganizeUndoStore store(m_folder, 50, m_files);
    ASSERT_TRUE(store.record(placed({ "a" }), false));
    m_files.failOnce(Operation::Status, EIO, item("a").destination.path());

    const auto undone = store.undoLast();

    ASSERT_FALSE(undone);
    EXPECT_EQ(undone.error().kind(), OrganizeError::Kind::UndoFailed);
    EXPECT_EQ(store.entries().size(), 1);
    EXPECT_EQ(store.undoLast()->value(), QList<OrganizePlanItem> { item("a") });
}

TEST_F(OrganizeUndoStoreTest, ClearRemovesTheJournalAndItsBackup)
{
    OrganizeUndoStore store(m_folder, 50, m_files);
    ASSERT_TRUE(store.record({ item("a") }, false));
    ASSERT_TRUE(store.record({ item("b") }, false));
    m_files.failOnce(Operation::Remove, EIO);
    ASSERT_FALSE(store.clear());
    EXPECT_EQ(store.entries().size(), 2);

    ASSERT_TRUE(store.clear());

    EXPECT_TRUE(store.entries().isEmpty());
    EXPECT_FALSE(m_files.exists(journal()));
    EXPECT_FALSE(m_files.exists(JsonFile::backupOf(journal())));
}

} // namespace
