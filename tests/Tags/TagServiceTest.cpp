// The tag service's side of tag writing (the formats themselves are the bridge's tests): what a
// format can take, the fields' JSON, and undoing edits from the journal.
#include "Tags/TagEditUndoStore.h"
#include "Tags/TagFormatCapabilities.h"
#include "Tags/TagService.h"

#include "AudioFixture.h"
#include "FaultInjectingFileOperations.h"
#include "Storage/JsonFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>

using Operation = FileOperations::Operation;

namespace {

const TagFormatCapabilities everything{true, true, true, {}};
const TagFormatCapabilities wavWithoutId3{false, false, false, QStringLiteral("这个 WAV 文件没有 ID3v2 标签块，无法写入标签。")};
const TagFormatCapabilities wmaOrAsf{true, false, false, QStringLiteral("WMA/ASF 格式不支持写入专辑歌手或封面。")};
const TagFormatCapabilities unsupported{false, false, false, QStringLiteral("不支持的音频格式，无法写入标签。")};

// A chunk header declaring `size`, followed by `payload` (which may be shorter than declared).
QByteArray chunk(const char *id, quint32 size, const QByteArray &payload = {})
{
    QByteArray bytes = QByteArray(id, 4) + QByteArray(4, '\0') + payload;
    qToLittleEndian(size, bytes.data() + 4);
    return bytes;
}

QByteArray sized(const char *id, const QByteArray &payload)
{
    return chunk(id, quint32(payload.size()), payload);
}

QByteArray riff(const QByteArray &chunks, const char *magic = "RIFF")
{
    return chunk(magic, quint32(chunks.size() + 4), "WAVE" + chunks);
}

const QByteArray format = sized("fmt ", QByteArray(16, '\1'));
const QByteArray samples = sized("data", QByteArray(400, '\0'));
const QByteArray id3 = sized("ID3 ", QByteArray("ID3\4\0\0\0\0\0\0", 10));

TagFields titled(const QString &title)
{
    return TagFields{.title = title};
}

class TagServiceTest : public testing::Test
{
protected:
    FileLocation at(const QString &name) const { return FileLocation::fromLocalFile(m_folder.filePath(name)); }
    FileLocation write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(m_folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
        return at(name);
    }
    FileLocation tone(const char *name) const
    {
        return FileLocation::fromLocalFile(AudioFixture::makeTone(m_folder.path(), name, 0.5));
    }
    std::optional<QString> failure(const TagFields &fields, const FileLocation &file) const
    {
        const auto written = m_service.write(fields, file);
        return written ? std::nullopt : std::optional(written.error().description());
    }

    QTemporaryDir m_folder;
    TagService m_service;
};

TEST_F(TagServiceTest, ExtensionsAnswerWhateverTheirCase)
{
    const std::pair<const char *, TagFormatCapabilities> cases[] = {
        {"a.mp3", everything}, {"A.MP3", everything}, {"a.Flac", everything}, {"a.opus", everything},
        {"a.aifc", everything}, {"a.WMA", wmaOrAsf}, {"a.asf", wmaOrAsf}, {"a.WAVE", wavWithoutId3},
        {"a.aac", unsupported}, {"a.wv", unsupported}, {"noextension", unsupported}, {".mp3", unsupported}};
    for (const auto &[name, expected] : cases)
        EXPECT_EQ(TagFormatCapabilities::capabilities(at(name)), expected) << name;
}

TEST_F(TagServiceTest, WavChunkWalkFindsId3ChunksAndStopsAtBrokenOnes)
{
    const QByteArray fillers = chunk("junk", 0).repeated(4095);
    const struct {
        const char *name;
        QByteArray bytes;
        bool writable;
    } cases[] = {
        {"after the audio", riff(format + samples + id3), true},
        {"lower-case id", riff(format + sized("id3 ", QByteArray(10, 'x'))), true},
        {"after an odd chunk and its pad byte", riff(sized("odd ", "abc") + QByteArray(1, '\0') + id3), true},
        {"in an RF64 file before its data", riff(format + id3 + chunk("data", 0xFFFFFFFF, QByteArray(400, '\0')), "RF64"), true},
        {"as the 4096th header", riff(fillers + id3), true},
        {"as the 4097th header", riff(fillers + chunk("junk", 0) + id3), false},
        {"after a chunk that runs past the end", riff(chunk("fmt ", 5000, QByteArray(16, '\1')) + id3), false},
        {"after an RF64 data chunk of the largest size", riff(format + chunk("data", 0xFFFFFFFF, QByteArray(400, '\0')) + id3, "RF64"), false},
        // Where 32-bit offsets would wrap around to the bytes after the first header.
        {"inside a chunk of the largest size", riff(chunk("data", 0xFFFFFFFF) + id3 + QByteArray(400, '\0')), false},
        {"without it", riff(format + samples), false},
        {"in a file that is not RIFF", riff(format + id3, "RIFX"), false},
        {"in a file too short for a chunk", QByteArray("RIFF\0\0\0\0WAVE", 12) + "ID3", false},
        {"in an empty file", QByteArray(), false},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TagFormatCapabilities::capabilities(write("probe.wav", c.bytes)).canWrite, c.writable) << c.name;
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("folder.wav"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_folder.filePath("pipe.wav")).constData(), 0600), 0);
    for (const char *unreadable : {"missing.wav", "folder.wav", "pipe.wav"}) // a FIFO returns, never blocks
        EXPECT_EQ(TagFormatCapabilities::capabilities(at(unreadable)), wavWithoutId3) << unreadable;
}

TEST_F(TagServiceTest, CombinedHoldsForEveryFileWithTheDecidingLimitation)
{
    const FileLocation taggedWav = write("tagged.wav", riff(format + samples + id3));
    const FileLocation plainWav = write("plain.wav", riff(format + samples));
    const std::pair<QList<FileLocation>, TagFormatCapabilities> cases[] = {
        {{}, everything},
        {{at("a.mp3"), taggedWav, at("b.flac")}, everything},
        {{at("a.mp3"), at("b.wma")}, wmaOrAsf},
        {{at("b.wma"), at("c.xyz")}, unsupported},
        {{at("c.xyz"), at("b.wma"), plainWav, at("a.mp3")}, wavWithoutId3}, // the last unwritable file speaks
        {{plainWav, at("b.asf")}, wavWithoutId3}, // an unwritable file outweighs WMA after it
    };
    for (const auto &[files, expected] : cases)
        EXPECT_EQ(TagFormatCapabilities::combined(files), expected) << files.size();
}

// Every field's way into the file and back, and clearing, are the undo tests' below.
TEST_F(TagServiceTest, AWavFileBecomesWritableThroughTheId3ChunkItsFirstWriteAdds)
{
    const FileLocation wav = tone("tone.wav");
    EXPECT_EQ(TagFormatCapabilities::capabilities(wav), wavWithoutId3);
    ASSERT_TRUE(m_service.write(titled(u"晴天"_qs), wav));
    EXPECT_EQ(m_service.read(wav), titled(u"晴天"_qs));
    EXPECT_EQ(TagFormatCapabilities::capabilities(wav), everything);
}

TEST_F(TagServiceTest, FailuresCarryTheBridgeMessageAndNoFieldTouchesNothing)
{
    EXPECT_EQ(TagService::jsonData(TagFields()), "{}");
    EXPECT_EQ(failure(TagFields(), at("missing.flac")), std::nullopt);
    EXPECT_FALSE(QFile::exists(m_folder.filePath("missing.flac")));
    EXPECT_EQ(failure(titled(u"晴天"_qs), at("missing.flac")), u"文件不存在"_qs);
    EXPECT_EQ(m_service.read(write("notes.flac", "not audio at all")), std::nullopt);
    const FileLocation embeddedNul = FileLocation::fromPath(QByteArray("/tmp/a\0b.flac", 13));
    EXPECT_EQ(m_service.read(FileLocation()), std::nullopt);
    EXPECT_EQ(m_service.read(embeddedNul), std::nullopt);
    EXPECT_EQ(failure(titled(u"晴天"_qs), embeddedNul), u"写入标签失败"_qs);
}

std::expected<TagFields, QString> decode(const QByteArray &json)
{
    JsonReader reader(json);
    return TagFields::read(reader);
}

TEST(TagFieldsTest, EncodesOnlyPresentFieldsDecodesThemBackAndRefusesValuesOfTheWrongKind)
{
    const TagFields fields{.title = QStringLiteral("晴天 \"live\"\n\\"), .year = 0, .genre = QString()};
    JsonWriter writer;
    fields.write(writer);
    const QByteArray json = writer.take();
    EXPECT_EQ(JsonFile::parse(json)->toObject().keys(), (QStringList{"genre", "title", "year"}));
    EXPECT_EQ(decode(json), fields);
    JsonWriter empty;
    TagFields().write(empty);
    EXPECT_EQ(empty.take().trimmed(), "{}");
    // Null and missing keys are absent, unknown keys ignored.
    EXPECT_EQ(decode(R"({"title": null, "artist": "周杰伦", "comment": {"nested": [1, 2]}, "year": 2003})"),
              (TagFields{.artist = u"周杰伦"_qs, .year = 2003}));
    for (const char *wrong : {R"({"year": "1999"})", R"({"title": 5})", R"({"trackNumber": 1.5})",
                              R"({"artworkBase64": true})", R"(["title"])"})
        EXPECT_FALSE(decode(wrong)) << wrong;
}

// Undo ---------------------------------------------------------------------------------------------

class TagEditUndoStoreTest : public TagServiceTest
{
protected:
    FileLocation journal() const { return m_undoFolder.appending(TagEditUndoStore::journalFileName); }
    QByteArray bytesOf(const FileLocation &file) { return m_files.readAll(file, -1).value_or(QByteArray()); }
    // A real FLAC file holding `tags`.
    FileLocation flac(const TagFields &tags)
    {
        const FileLocation file = tone("song.flac");
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
        return {at(QStringLiteral("歌 %1.flac").arg(number)), titled("旧"), titled("新"), double(number)};
    }

    FileLocation m_undoFolder = at("data/undo");
    FaultInjectingFileOperations m_files;
    TagEditUndoStore m_store{m_undoFolder, 50, m_files};
};

TEST_F(TagEditUndoStoreTest, TwoEditsOfARealFileAreUndoneNewestFirst)
{
    const QString cover = QString::fromLatin1((QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(500, 'p')).toBase64());
    const TagFields original{u"晴天"_qs, u"周杰伦"_qs, u"叶惠美"_qs, u"Jay \"Chou\""_qs, 2003, 3, u"Mandopop"_qs, cover};
    const FileLocation file = flac(original);
    ASSERT_EQ(m_service.read(file), original);
    const TagFields firstEdit{.title = u"七里香"_qs, .genre = u"流行"_qs};
    edit(m_store, file, firstEdit, 1);
    const TagFields secondState{u"七里香"_qs, u"周杰伦"_qs, u"叶惠美"_qs, u"Jay \"Chou\""_qs, 2003, 3, u"流行"_qs, cover};
    EXPECT_EQ(m_service.read(file), secondState);
    const TagFields secondEdit{.albumArtist = QString(), .year = 0, .artworkBase64 = QString()}; // clears
    edit(m_store, file, secondEdit, 2);
    EXPECT_EQ(m_service.read(file), (TagFields{u"七里香"_qs, u"周杰伦"_qs, u"叶惠美"_qs, {}, {}, 3, u"流行"_qs, {}}));
    const auto newest = m_store.undoLast();
    ASSERT_TRUE(newest && *newest) << newest.error().description().toStdString();
    EXPECT_EQ((*newest)->after, secondEdit);
    EXPECT_EQ(m_service.read(file), secondState);
    const auto older = m_store.undoLast();
    ASSERT_TRUE(older && *older);
    EXPECT_EQ((*older)->after, firstEdit);
    EXPECT_EQ(m_service.read(file), original);
    EXPECT_TRUE(m_store.entries().isEmpty());
    EXPECT_TRUE(TagEditUndoStore(m_undoFolder, 50, m_files).entries().isEmpty());
}

TEST_F(TagEditUndoStoreTest, UndoRestoresOldValuesClearsNewOnesAndLeavesTheRestAlone)
{
    const FileLocation file = flac({u"新标题"_qs, u"新歌手"_qs, {}, {}, 2005, 9, u"Rock"_qs, {}});
    ASSERT_TRUE(m_store.record({file, {.artist = u"旧歌手"_qs, .year = 1999}, {.title = u"新标题"_qs, .trackNumber = 9}, 1}));
    ASSERT_TRUE(m_store.undoLast());
    // The artist was not written by the edit, yet its old value returns; neither side knew the
    // genre; title and track number are cleared.
    EXPECT_EQ(m_service.read(file), (TagFields{.artist = u"旧歌手"_qs, .year = 1999, .genre = u"Rock"_qs}));
    // Only the fields the edit changed are written back.
    const TagFields before{.title = u"旧"_qs, .year = 2001, .artworkBase64 = u"aW1hZ2U="_qs};
    TagFields after = before;
    after.title = u"新"_qs;
    after.genre = u"Rock"_qs;
    ASSERT_TRUE(m_store.record({at("song.flac"), before, after, 1}));
    TagFields written;
    ASSERT_TRUE(m_store.undoLast([&](const TagFields &fields, const FileLocation &) {
        written = fields;
        return std::expected<void, TagServiceError>();
    }));
    EXPECT_EQ(written, (TagFields{.title = u"旧"_qs, .genre = QString()}));
    EXPECT_TRUE(m_store.entries().isEmpty());
}

// The journal's limit and backup are the organizer's journal's, tested there.
TEST_F(TagEditUndoStoreTest, JournalHoldsTheFourKeysWithTagFieldsOmittingAbsentValues)
{
    ASSERT_TRUE(m_store.record({at("歌.flac"), TagFields(), {.title = u"晴天"_qs, .year = 2003}, 12.5}));
    const auto json = JsonFile::parse(bytesOf(journal()));
    ASSERT_TRUE(json && json->isArray());
    EXPECT_EQ(json->toArray().at(0).toObject(),
              (QJsonObject{{"after", QJsonObject{{"title", "晴天"}, {"year", 2003}}}, {"before", QJsonObject()},
                           {"date", 12.5}, {"url", at("歌.flac").urlText()}}));
}

TEST_F(TagEditUndoStoreTest, ARecordUndoOrClearThatFailsChangesNothing)
{
    const auto empty = m_store.undoLast();
    ASSERT_TRUE(empty && !*empty);
    EXPECT_FALSE(m_files.exists(journal())) << "an empty journal is neither undone nor written";
    ASSERT_TRUE(m_store.record(entry(1))); // its file does not exist
    const QByteArray onDisk = bytesOf(journal());
    m_files.failOnce(Operation::WriteAtomically, ENOSPC);
    const auto recorded = m_store.record(entry(2));
    ASSERT_FALSE(recorded);
    EXPECT_EQ(recorded.error().code, ENOSPC);
    const auto undone = m_store.undoLast();
    ASSERT_FALSE(undone);
    EXPECT_FALSE(undone.error().tagsRestored());
    EXPECT_EQ(undone.error().description(), u"文件不存在"_qs);
    EXPECT_EQ(m_store.entries(), QList<TagUndoEntry>{entry(1)});
    EXPECT_EQ(bytesOf(journal()), onDisk);
    m_files.failOnce(Operation::Remove, EIO);
    ASSERT_FALSE(m_store.clear());
    EXPECT_EQ(m_store.entries().size(), 1);
    ASSERT_TRUE(m_store.clear());
    EXPECT_TRUE(m_store.entries().isEmpty());
    EXPECT_FALSE(m_files.exists(journal()));
}

TEST_F(TagEditUndoStoreTest, UndoWhoseJournalCannotBeSavedKeepsTheEntryAfterRestoringTheTags)
{
    const FileLocation file = flac(titled("新"));
    const TagUndoEntry recorded{file, titled("旧"), titled("新"), 1};
    ASSERT_TRUE(m_store.record(recorded));
    m_files.failOnce(Operation::WriteAtomically, EIO, TagEditUndoStore::journalFileName);
    const auto undone = m_store.undoLast();
    ASSERT_FALSE(undone);
    EXPECT_TRUE(undone.error().tagsRestored());
    EXPECT_EQ(m_service.read(file), titled("旧"));
    EXPECT_EQ(m_store.entries(), QList<TagUndoEntry>{recorded});
    EXPECT_EQ(TagEditUndoStore(m_undoFolder, 50, m_files).entries(), QList<TagUndoEntry>{recorded});
}

} // namespace
