#include "Tags/TagEditUndoStore.h"

#include "AudioFixture.h"
#include "FaultInjectingFileOperations.h"
#include "Storage/JsonFile.h"

#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using Operation = FileOperations::Operation;

namespace {

TagFields titled(const QString &title)
{
    TagFields fields;
    fields.title = title;
    return fields;
}

class TagEditUndoStoreTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_temporary.isValid()); }

    FileLocation journal() const { return m_folder.appending(TagEditUndoStore::journalFileName); }

    QByteArray bytesOf(const FileLocation &file) { return m_files.readAll(file, -1).value_or(QByteArray()); }

    // A real FLAC file holding `tags`.
    FileLocation flac(const TagFields &tags)
    {
        const QString path = AudioFixture::makeTone(m_temporary.path(), "song.flac", 0.5);
        EXPECT_FALSE(path.isEmpty());
        const FileLocation file = FileLocation::fromLocalFile(path);
        EXPECT_TRUE(m_service.write(tags, file));
        return file;
    }

    // What the application does for one edit: read the old tags, write the new ones, record both.
    void edit(TagEditUndoStore &store, const FileLocation &file, const TagFields &after, double date)
    {
        const std::optional<TagFields> before = m_service.read(file);
        ASSERT_TRUE(before);
        ASSERT_TRUE(m_service.write(after, file));
        ASSERT_TRUE(store.record({file, *before, after, date}));
    }

    // An entry for a file that is never touched.
    TagUndoEntry entry(int number) const
    {
        return {m_base.appending(QStringLiteral("歌 %1.flac").arg(number)), titled("旧"), titled("新"), double(number)};
    }

    QTemporaryDir m_temporary;
    FileLocation m_base = FileLocation::fromLocalFile(m_temporary.path());
    FileLocation m_folder = m_base.appending(QByteArray("data/undo"));
    FaultInjectingFileOperations m_files;
    TagService m_service;
};

TEST_F(TagEditUndoStoreTest, TwoEditsOfARealFileAreUndoneNewestFirst)
{
    TagFields original = titled("晴天");
    original.artist = QStringLiteral("周杰伦");
    original.year = 2003;
    original.artworkBase64 = QString::fromLatin1((QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(500, 'p')).toBase64());
    const FileLocation file = flac(original);
    const std::optional<TagFields> firstState = m_service.read(file);
    ASSERT_EQ(firstState, original);
    TagEditUndoStore store(m_folder, 50, m_files);

    TagFields firstEdit = titled("七里香");
    firstEdit.genre = QStringLiteral("流行");
    edit(store, file, firstEdit, 1);
    const std::optional<TagFields> secondState = m_service.read(file);
    TagFields secondEdit;
    secondEdit.year = 2004;
    secondEdit.artworkBase64 = QString();
    edit(store, file, secondEdit, 2);

    const auto newest = store.undoLast();
    ASSERT_TRUE(newest && *newest) << newest.error().description().toStdString();
    EXPECT_EQ((*newest)->after, secondEdit);
    EXPECT_EQ(m_service.read(file), secondState);

    const auto older = store.undoLast();
    ASSERT_TRUE(older && *older);
    EXPECT_EQ((*older)->after, firstEdit);
    EXPECT_EQ(m_service.read(file), firstState);
    EXPECT_TRUE(store.entries().isEmpty());
    EXPECT_TRUE(TagEditUndoStore(m_folder, 50, m_files).entries().isEmpty());
}

TEST_F(TagEditUndoStoreTest, UndoRestoresOldValuesClearsNewOnesAndLeavesTheRestAlone)
{
    TagFields current = titled("新标题");
    current.artist = QStringLiteral("新歌手");
    current.year = 2005;
    current.trackNumber = 9;
    current.genre = QStringLiteral("Rock");
    const FileLocation file = flac(current);
    TagFields before;
    before.artist = QStringLiteral("旧歌手");
    before.year = 1999;
    TagFields after = titled("新标题");
    after.trackNumber = 9;
    TagEditUndoStore store(m_folder, 50, m_files);
    ASSERT_TRUE(store.record({file, before, after, 1}));

    ASSERT_TRUE(store.undoLast());

    TagFields expected;
    expected.artist = QStringLiteral("旧歌手"); // not written by the edit, yet its old value returns
    expected.year = 1999;
    expected.genre = QStringLiteral("Rock");   // neither side knew it: untouched
    EXPECT_EQ(m_service.read(file), expected);  // title and track number cleared
}

TEST_F(TagEditUndoStoreTest, TheJournalKeepsTheNewestEntriesUpToItsLimit)
{
    TagEditUndoStore store(m_folder, 50, m_files);
    QList<TagUndoEntry> recorded;
    for (int i = 0; i < 51; ++i) {
        recorded.append(entry(i));
        ASSERT_TRUE(store.record(recorded.last()));
    }
    EXPECT_EQ(store.entries(), recorded.mid(1));
    const TagEditUndoStore reloaded(m_folder, 50, m_files);
    EXPECT_EQ(reloaded.entries(), recorded.mid(1));
    EXPECT_FALSE(reloaded.loadNotice());

    // A larger journal loads as its newest entries without being rewritten.
    for (int i = 51; i < 80; ++i)
        recorded.append(entry(i));
    ASSERT_TRUE(m_files.writeAtomically(journal(), JsonFile::encode(recorded)));
    const QByteArray onDisk = bytesOf(journal());
    const int writes = m_files.calls(Operation::WriteAtomically);
    EXPECT_EQ(TagEditUndoStore(m_folder, 50, m_files).entries(), recorded.mid(30));
    EXPECT_EQ(bytesOf(journal()), onDisk);
    EXPECT_EQ(m_files.calls(Operation::WriteAtomically), writes);

    // A limit below one counts as one.
    TagEditUndoStore single(m_base.appending(QByteArray("single")), 0, m_files);
    ASSERT_TRUE(single.record(entry(1)));
    ASSERT_TRUE(single.record(entry(2)));
    EXPECT_EQ(single.entries(), QList<TagUndoEntry>{entry(2)});
}

TEST_F(TagEditUndoStoreTest, JournalHoldsTheFourKeysWithTagFieldsOmittingAbsentValues)
{
    TagEditUndoStore store(m_folder, 50, m_files);
    TagFields after = titled("晴天");
    after.year = 2003;
    ASSERT_TRUE(store.record({m_base.appending(QByteArray("歌.flac")), TagFields(), after, 12.5}));

    const auto json = JsonFile::parse(bytesOf(journal()));
    ASSERT_TRUE(json && json->isArray());
    const QJsonObject object = json->toArray().at(0).toObject();
    EXPECT_EQ(object.keys(), (QStringList{"after", "before", "date", "url"}));
    EXPECT_EQ(object.value("after").toObject(), (QJsonObject{{"title", "晴天"}, {"year", 2003}}));
    EXPECT_EQ(object.value("before").toObject(), QJsonObject());
    EXPECT_EQ(object.value("date").toDouble(), 12.5);
    EXPECT_EQ(object.value("url").toString(), m_base.appending(QByteArray("歌.flac")).urlText());
}

TEST_F(TagEditUndoStoreTest, DamagedJournalFallsBackToItsBackupThenStartsEmpty)
{
    {
        TagEditUndoStore store(m_folder, 50, m_files);
        ASSERT_TRUE(store.record(entry(1)));
        ASSERT_TRUE(store.record(entry(2))); // the first version becomes the backup
    }
    // An entry without "date" makes the whole journal undecodable.
    ASSERT_TRUE(m_files.writeAtomically(journal(), R"([{"url": "file:///a.flac", "before": {}, "after": {}}])"));
    const TagEditUndoStore fromBackup(m_folder, 50, m_files);
    EXPECT_EQ(fromBackup.loadNotice(), QStringLiteral("标签编辑撤销记录已从备份恢复。"));
    EXPECT_EQ(fromBackup.entries(), QList<TagUndoEntry>{entry(1)});

    ASSERT_TRUE(m_files.writeAtomically(JsonFile::backupOf(journal()), "["));
    const TagEditUndoStore unreadable(m_folder, 50, m_files);
    EXPECT_EQ(unreadable.loadNotice(), QStringLiteral("标签编辑撤销记录已损坏，无法读取。"));
    EXPECT_TRUE(unreadable.entries().isEmpty());

    const TagEditUndoStore elsewhere(m_base.appending(QByteArray("fresh")), 50, m_files);
    EXPECT_FALSE(elsewhere.loadNotice());
    EXPECT_TRUE(elsewhere.entries().isEmpty());
}

TEST_F(TagEditUndoStoreTest, ARecordOrUndoThatFailsChangesNothing)
{
    TagEditUndoStore store(m_folder, 50, m_files);
    const auto empty = store.undoLast();
    ASSERT_TRUE(empty);
    EXPECT_FALSE(*empty);
    EXPECT_EQ(m_files.calls(Operation::WriteAtomically), 0);
    EXPECT_FALSE(m_files.exists(journal())) << "an empty journal is neither undone nor written";

    ASSERT_TRUE(store.record(entry(1))); // its file does not exist
    const QByteArray onDisk = bytesOf(journal());
    m_files.failOnce(Operation::WriteAtomically, ENOSPC);
    const auto recorded = store.record(entry(2));
    ASSERT_FALSE(recorded);
    EXPECT_EQ(recorded.error().code, ENOSPC);

    const auto undone = store.undoLast();
    ASSERT_FALSE(undone);
    EXPECT_FALSE(undone.error().tagsRestored());
    EXPECT_EQ(undone.error().description(), u"文件不存在"_qs);
    EXPECT_EQ(store.entries(), QList<TagUndoEntry>{entry(1)});
    EXPECT_EQ(bytesOf(journal()), onDisk);
}

TEST_F(TagEditUndoStoreTest, UndoWhoseJournalCannotBeSavedKeepsTheEntryAfterRestoringTheTags)
{
    const FileLocation file = flac(titled("新"));
    TagEditUndoStore store(m_folder, 50, m_files);
    const TagUndoEntry recorded{file, titled("旧"), titled("新"), 1};
    ASSERT_TRUE(store.record(recorded));
    m_files.failOnce(Operation::WriteAtomically, EIO, TagEditUndoStore::journalFileName);

    const auto undone = store.undoLast();

    ASSERT_FALSE(undone);
    EXPECT_TRUE(undone.error().tagsRestored());
    EXPECT_EQ(m_service.read(file), titled("旧"));
    EXPECT_EQ(store.entries(), QList<TagUndoEntry>{recorded});
    EXPECT_EQ(TagEditUndoStore(m_folder, 50, m_files).entries(), QList<TagUndoEntry>{recorded});
}

TEST_F(TagEditUndoStoreTest, ClearRemovesJournalAndBackupAndKeepsEntriesWhenItFails)
{
    TagEditUndoStore store(m_folder, 50, m_files);
    ASSERT_TRUE(store.record(entry(1)));
    ASSERT_TRUE(store.record(entry(2)));
    m_files.failOnce(Operation::Remove, EIO);

    ASSERT_FALSE(store.clear());
    EXPECT_EQ(store.entries().size(), 2);

    ASSERT_TRUE(store.clear());
    EXPECT_TRUE(store.entries().isEmpty());
    EXPECT_FALSE(m_files.exists(journal()));
    EXPECT_FALSE(m_files.exists(JsonFile::backupOf(journal())));
    EXPECT_TRUE(store.clear()); // with neither file present
}

} // namespace

TEST_F(TagEditUndoStoreTest, UndoWritesBackOnlyTheFieldsTheEditChanged)
{
    TagFields before = titled("旧");
    before.artworkBase64 = QStringLiteral("aW1hZ2U=");
    before.year = 2001;
    TagFields after = before;
    after.title = QStringLiteral("新");
    after.genre = QStringLiteral("Rock");
    TagEditUndoStore store(m_folder, 50, m_files);
    ASSERT_TRUE(store.record({m_base.appending(QByteArray("song.flac")), before, after, 1}));
    TagFields written;

    ASSERT_TRUE(store.undoLast([&](const TagFields &fields, const FileLocation &) {
        written = fields;
        return std::expected<void, TagServiceError>();
    }));

    TagFields expected = titled("旧");
    expected.genre = QString(); // added by the edit: removed again
    EXPECT_EQ(written, expected); // the cover and the year were not touched by the edit
    EXPECT_TRUE(store.entries().isEmpty());
}
