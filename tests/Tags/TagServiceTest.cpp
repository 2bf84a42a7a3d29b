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
    const std::tuple<const char *, QByteArray, bool> cases[] = {
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
    for (const auto &[name, bytes, writable] : cases)
        EXPECT_EQ(TagFormatCapabilities::capabilities(write("probe.wav", bytes)).canWrite, writable) << name;
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("folder.wav"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_folder.filePath("pipe.wav")).constData(), 0600), 0);
    for (const char *unreadable : {"missing.wav", "folder.wav", "pipe.wav"}) // a FIFO returns, never blocks
        EXPECT_EQ(TagFormatCapabilities::capabilities(at(unreadable)), wavWithoutId3) << unreadable;
    // A real WAV file becomes writable through the ID3 chunk its first write adds.
    const FileLocation wav = tone("tone.wav");
    EXPECT_EQ(TagFormatCapabilities::capabilities(wav), wavWithoutId3);
    ASSERT_TRUE(m_service.write(titled(u"晴天"_qs), wav));
    EXPECT_EQ(TagFormatCapabilities::capabilities(wav), everything);
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

TEST_F(TagServiceTest, FailuresCarryTheBridgeMessageAndNoFieldTouchesNothing)
{
    EXPECT_EQ(failure(TagFields(), at("missing.flac")), std::nullopt);
    EXPECT_EQ(failure(titled(u"晴天"_qs), at("missing.flac")), u"文件不存在"_qs);
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
    EXPECT_EQ(decode(TagService::jsonData(fields)), fields);
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
    // An entry for a file that is never touched.
    TagUndoEntry entry(int number) const
    {
        return {at(QStringLiteral("歌 %1.flac").arg(number)), titled("旧"), titled("新"), double(number)};
    }

    FileLocation m_undoFolder = at("data/undo");
    FaultInjectingFileOperations m_files;
    TagEditUndoStore m_store{m_undoFolder, 50, m_files};
};

TEST_F(TagEditUndoStoreTest, UndoingAnEditOfEveryFieldRestoresTheRealFile)
{
    const QString cover = QString::fromLatin1((QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(500, 'p')).toBase64());
    const TagFields original{u"晴天"_qs, u"周杰伦"_qs, u"叶惠美"_qs, u"Jay \"Chou\""_qs, 2003, 3, u"Mandopop"_qs, cover};
    const TagFields change{u"七里香"_qs, QString(), u"范特西"_qs, QString(), 0, 5, u"流行"_qs, QString()};
    const FileLocation file = flac(original);
    ASSERT_TRUE(m_service.write(change, file));
    ASSERT_TRUE(m_store.record({file, original, change, 1}));
    const auto undone = m_store.undoLast();
    ASSERT_TRUE(undone) << undone.error().description().toStdString();
    ASSERT_TRUE(*undone);
    EXPECT_EQ((*undone)->after, change);
    EXPECT_EQ(m_service.read(file), original);
    EXPECT_TRUE(TagEditUndoStore(m_undoFolder, 50, m_files).entries().isEmpty());
}

// A field the edit left alone is not rewritten; one it changed gets its old value back, or is
// cleared where the file had none.
TEST_F(TagEditUndoStoreTest, UndoWritesBackOnlyTheFieldsTheEditChanged)
{
    const TagFields before{.title = u"旧"_qs, .artist = u"旧歌手"_qs, .year = 2001, .artworkBase64 = u"aW1hZ2U="_qs};
    const TagFields after{
        .title = u"新"_qs, .year = 2001, .trackNumber = 9, .genre = u"Rock"_qs, .artworkBase64 = u"aW1hZ2U="_qs};
    ASSERT_TRUE(m_store.record({at("song.flac"), before, after, 1}));
    TagFields written;
    ASSERT_TRUE(m_store.undoLast([&](const TagFields &fields, const FileLocation &) {
        written = fields;
        return std::expected<void, TagServiceError>();
    }));
    EXPECT_EQ(written, (TagFields{.title = u"旧"_qs, .artist = u"旧歌手"_qs, .trackNumber = 0, .genre = QString()}));
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

// Undos and clears that fail are tested through the application model, which uses this store.
TEST_F(TagEditUndoStoreTest, AnEmptyJournalIsNotWrittenAndAFailedRecordChangesNothing)
{
    const auto empty = m_store.undoLast();
    ASSERT_TRUE(empty && !*empty);
    EXPECT_FALSE(m_files.exists(journal()));
    ASSERT_TRUE(m_store.record(entry(1)));
    const QByteArray onDisk = bytesOf(journal());
    m_files.failOnce(FileOperations::Operation::WriteAtomically, ENOSPC);
    const auto recorded = m_store.record(entry(2));
    ASSERT_FALSE(recorded);
    EXPECT_EQ(recorded.error().code, ENOSPC);
    EXPECT_EQ(m_store.entries(), QList<TagUndoEntry>{entry(1)});
    EXPECT_EQ(bytesOf(journal()), onDisk);
}

TEST_F(TagEditUndoStoreTest, UndoWhoseJournalCannotBeSavedKeepsTheEntryAfterRestoringTheTags)
{
    const FileLocation file = flac(titled("新"));
    const TagUndoEntry recorded{file, titled("旧"), titled("新"), 1};
    ASSERT_TRUE(m_store.record(recorded));
    m_files.failOnce(FileOperations::Operation::WriteAtomically, EIO, TagEditUndoStore::journalFileName);
    const auto undone = m_store.undoLast();
    ASSERT_FALSE(undone);
    EXPECT_TRUE(undone.error().tagsRestored());
    EXPECT_EQ(m_service.read(file), titled("旧"));
    EXPECT_EQ(m_store.entries(), QList<TagUndoEntry>{recorded});
    EXPECT_EQ(TagEditUndoStore(m_undoFolder, 50, m_files).entries(), QList<TagUndoEntry>{recorded});
}

} // namespace
