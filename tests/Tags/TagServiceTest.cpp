#include "Tags/TagFormatCapabilities.h"
#include "Tags/TagService.h"

#include "AudioFixture.h"
#include "Storage/JsonFile.h"

#include <QDir>
#include <QFile>
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

QByteArray littleEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

// A chunk header declaring `size`, followed by `payload` (which may be shorter than declared).
QByteArray chunk(const char *id, quint32 size, const QByteArray &payload = {})
{
    return QByteArray(id, 4) + littleEndian32(size) + payload;
}

QByteArray sized(const char *id, const QByteArray &payload)
{
    return chunk(id, quint32(payload.size()), payload);
}

QByteArray riff(const QByteArray &chunks, const char *magic = "RIFF")
{
    return QByteArray(magic, 4) + littleEndian32(quint32(chunks.size() + 4)) + "WAVE" + chunks;
}

const QByteArray format = sized("fmt ", QByteArray(16, '\1'));
const QByteArray samples = sized("data", QByteArray(400, '\0'));
const QByteArray id3 = sized("ID3 ", QByteArray("ID3\4\0\0\0\0\0\0", 10));

class TagFormatCapabilitiesTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    FileLocation at(const QString &name) const { return FileLocation::fromLocalFile(m_folder.filePath(name)); }

    FileLocation write(const QString &name, const QByteArray &bytes) const
    {
        QFile file(m_folder.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return at(name);
    }

    bool writable(const QByteArray &bytes) const
    {
        return TagFormatCapabilities::capabilities(write(QStringLiteral("probe.wav"), bytes)).canWrite;
    }

    QTemporaryDir m_folder;
};

TEST_F(TagFormatCapabilitiesTest, ExtensionsAnswerByTheTableWhateverTheirCase)
{
    const struct {
        const char *name;
        TagFormatCapabilities expected;
    } cases[] = {
        {"a.mp3", everything},  {"a.mp2", everything},  {"a.m4a", everything},   {"a.m4b", everything},
        {"a.mp4", everything},  {"a.aac", unsupported},  {"a.flac", everything},  {"a.ape", everything},
        {"a.ogg", everything},  {"a.oga", everything},  {"a.opus", everything},  {"a.aif", everything},
        {"a.aiff", everything}, {"a.aifc", everything}, {"A.MP3", everything},   {"a.Flac", everything},
        {"a.wma", wmaOrAsf},    {"a.asf", wmaOrAsf},    {"a.WMA", wmaOrAsf},     {"a.wav", wavWithoutId3},
        {"a.WAVE", wavWithoutId3}, {"a.wv", unsupported}, {"a.txt", unsupported}, {"noextension", unsupported},
        {".mp3", unsupported},
    };
    for (const auto &entry : cases)
        EXPECT_EQ(TagFormatCapabilities::capabilities(at(QString::fromUtf8(entry.name))), entry.expected)
            << entry.name;
}

TEST_F(TagFormatCapabilitiesTest, WavChunkWalkFindsId3ChunksAndStopsAtBrokenOnes)
{
    QByteArray fillers;
    for (int i = 0; i < 4095; ++i)
        fillers += chunk("junk", 0);
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
    for (const auto &entry : cases)
        EXPECT_EQ(writable(entry.bytes), entry.writable) << entry.name;
}

TEST_F(TagFormatCapabilitiesTest, WavThatCannotBeReadHasNoId3Chunk)
{
    ASSERT_TRUE(QDir(m_folder.path()).mkdir("folder.wav"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(m_folder.filePath("pipe.wav")).constData(), 0600), 0);

    EXPECT_EQ(TagFormatCapabilities::capabilities(at("missing.wav")), wavWithoutId3);
    EXPECT_EQ(TagFormatCapabilities::capabilities(at("folder.wav")), wavWithoutId3);
    EXPECT_EQ(TagFormatCapabilities::capabilities(at("pipe.wav")), wavWithoutId3); // returns, never blocks
}

TEST_F(TagFormatCapabilitiesTest, CombinedHoldsForEveryFileWithTheDecidingLimitation)
{
    const FileLocation taggedWav = write("tagged.wav", riff(format + samples + id3));
    const FileLocation plainWav = write("plain.wav", riff(format + samples));
    const struct {
        const char *name;
        QList<FileLocation> files;
        TagFormatCapabilities expected;
    } cases[] = {
        {"nothing selected", {}, everything},
        {"fully writable formats", {at("a.mp3"), taggedWav, at("b.flac")}, everything},
        {"MP3 and WMA", {at("a.mp3"), at("b.wma")}, wmaOrAsf},
        {"WMA and an unknown format", {at("b.wma"), at("c.xyz")}, unsupported},
        {"the last unwritable file speaks", {at("c.xyz"), at("b.wma"), plainWav, at("a.mp3")}, wavWithoutId3},
        {"an unwritable file outweighs WMA after it", {plainWav, at("b.asf")}, wavWithoutId3},
    };
    for (const auto &entry : cases)
        EXPECT_EQ(TagFormatCapabilities::combined(entry.files), entry.expected) << entry.name;
}

// The formats' own round trips are the tag bridge's tests; these check the service's side of it.
class TagServiceTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    FileLocation at(const char *name) const { return FileLocation::fromLocalFile(m_folder.filePath(name)); }
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

TagFields titled(const QString &title)
{
    TagFields fields;
    fields.title = title;
    return fields;
}

TEST_F(TagServiceTest, WrittenTagsReadBackAndEmptyTextAndZeroClearWhileAbsentFieldsStay)
{
    const FileLocation file = tone("tone.flac");
    EXPECT_EQ(m_service.read(file), TagFields());
    TagFields tags = titled(u"晴天"_qs);
    tags.artist = u"周杰伦"_qs;
    tags.album = u"叶惠美"_qs;
    tags.albumArtist = u"Jay \"Chou\""_qs;
    tags.year = 2003;
    tags.trackNumber = 3;
    tags.genre = u"Mandopop"_qs;
    tags.artworkBase64 = QString::fromLatin1((QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(2000, 'p')).toBase64());
    ASSERT_TRUE(m_service.write(tags, file));
    EXPECT_EQ(m_service.read(file), tags);

    TagFields clearing = titled(QString());
    clearing.year = 0;
    clearing.artworkBase64 = QString();
    ASSERT_TRUE(m_service.write(clearing, file));
    tags.title.reset();
    tags.year.reset();
    tags.artworkBase64.reset();
    EXPECT_EQ(m_service.read(file), tags);
}

TEST_F(TagServiceTest, AWavFileBecomesWritableThroughTheId3ChunkItsFirstWriteAdds)
{
    const FileLocation file = tone("tone.wav");
    EXPECT_EQ(TagFormatCapabilities::capabilities(file), wavWithoutId3);
    ASSERT_TRUE(m_service.write(titled(u"晴天"_qs), file));
    EXPECT_EQ(m_service.read(file), titled(u"晴天"_qs));
    EXPECT_EQ(TagFormatCapabilities::capabilities(file), everything);
}

TEST_F(TagServiceTest, FailuresCarryTheBridgeMessageAndNoFieldTouchesNothing)
{
    EXPECT_EQ(TagService::jsonData(TagFields()), "{}");
    EXPECT_EQ(failure(TagFields(), at("missing.flac")), std::nullopt);
    EXPECT_FALSE(QFile::exists(m_folder.filePath("missing.flac")));
    EXPECT_EQ(failure(titled(u"晴天"_qs), at("missing.flac")), u"文件不存在"_qs);

    TagFields cover;
    cover.artworkBase64 = u"iVBORw0KGgo="_qs;
    EXPECT_EQ(failure(cover, tone("tone.wma")), u"该格式不支持写入专辑歌手或封面"_qs);

    QFile text(m_folder.filePath("notes.flac"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly) && text.write("not audio at all") > 0);
    text.close();
    EXPECT_EQ(m_service.read(at("notes.flac")), std::nullopt);
    EXPECT_EQ(failure(titled(u"晴天"_qs), at("notes.flac")), u"不支持的音频格式"_qs);

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

QByteArray encode(const TagFields &fields)
{
    JsonWriter writer;
    fields.write(writer);
    return writer.take();
}

TEST(TagFieldsTest, EncodesOnlyPresentFieldsAndDecodesToTheSameValue)
{
    TagFields fields;
    fields.title = QStringLiteral("晴天 \"live\"\n\\");
    fields.year = 0;
    fields.genre = QString();
    const QByteArray json = encode(fields);

    const std::expected<QJsonValue, QString> parsed = JsonFile::parse(json);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->toObject().keys(), (QStringList{"genre", "title", "year"}));
    EXPECT_EQ(decode(json), fields);
    EXPECT_EQ(encode(TagFields()).trimmed(), "{}");
}

TEST(TagFieldsTest, NullAndMissingKeysAreAbsentAndUnknownKeysIgnored)
{
    const auto fields = decode(R"({"title": null, "artist": "周杰伦", "comment": {"nested": [1, 2]}, "year": 2003})");

    ASSERT_TRUE(fields) << fields.error().toStdString();
    TagFields expected;
    expected.artist = QStringLiteral("周杰伦");
    expected.year = 2003;
    EXPECT_EQ(*fields, expected);
}

TEST(TagFieldsTest, ValueOfTheWrongKindFailsTheWholeRecord)
{
    for (const char *json : {R"({"year": "1999"})", R"({"title": 5})", R"({"trackNumber": 1.5})",
                             R"({"artworkBase64": true})", R"(["title"])"})
        EXPECT_FALSE(decode(json)) << json;
}

} // namespace
