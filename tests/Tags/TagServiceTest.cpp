#include "Tags/TagFormatCapabilities.h"
#include "Tags/TagService.h"

#include "AudioFixture.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QString base64Of(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toBase64());
}

// Cover bytes with a real PNG signature; the bridge stores pictures without decoding them.
QByteArray pngImage()
{
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(2000, 'p');
}

TagFields fullTags()
{
    TagFields fields;
    fields.title = QStringLiteral("晴天");
    fields.artist = QStringLiteral("周杰伦");
    fields.album = QStringLiteral("叶惠美");
    fields.albumArtist = QStringLiteral("Jay \"Chou\"");
    fields.year = 2003;
    fields.trackNumber = 3;
    fields.genre = QStringLiteral("Mandopop");
    fields.artworkBase64 = base64Of(pngImage());
    return fields;
}

struct Format
{
    const char *name;
    const char *fileName;
    QStringList ffmpegArguments;
    TagFormatCapabilities capabilities; // before any tag was written
    bool takesAlbumArtistAndCover = true;
};

class TagServiceFormatTest : public testing::TestWithParam<Format>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        const QString path = AudioFixture::makeTone(m_folder.path(), GetParam().fileName, 0.5, 440,
                                                    GetParam().ffmpegArguments);
        ASSERT_FALSE(path.isEmpty());
        m_file = FileLocation::fromLocalFile(path);
    }

    // The full tags cut down to what the format takes.
    static TagFields writableTags()
    {
        TagFields fields = fullTags();
        if (!GetParam().takesAlbumArtistAndCover) {
            fields.albumArtist.reset();
            fields.artworkBase64.reset();
        }
        return fields;
    }

    QTemporaryDir m_folder;
    FileLocation m_file;
    TagService m_service;
};

TEST_P(TagServiceFormatTest, UntaggedFileReadsWithEveryFieldAbsent)
{
    EXPECT_EQ(m_service.read(m_file), TagFields());
}

TEST_P(TagServiceFormatTest, CapabilitiesFollowTheFormatTable)
{
    EXPECT_EQ(TagFormatCapabilities::capabilities(m_file), GetParam().capabilities);
}

TEST_P(TagServiceFormatTest, WrittenTagsReadBackAsWritten)
{
    const TagFields tags = writableTags();

    ASSERT_TRUE(m_service.write(tags, m_file));

    EXPECT_EQ(m_service.read(m_file), tags);
    // A WAV file becomes writable through the ID3 chunk that the write added.
    EXPECT_TRUE(TagFormatCapabilities::capabilities(m_file).canWrite);
}

TEST_P(TagServiceFormatTest, EmptyTextAndZeroClearWhileAbsentFieldsStay)
{
    const TagFields tags = writableTags();
    ASSERT_TRUE(m_service.write(tags, m_file));
    TagFields clearing;
    clearing.title = QString();
    clearing.year = 0;
    if (tags.artworkBase64)
        clearing.artworkBase64 = QString();

    ASSERT_TRUE(m_service.write(clearing, m_file));

    TagFields expected = tags;
    expected.title.reset();
    expected.year.reset();
    expected.artworkBase64.reset();
    EXPECT_EQ(m_service.read(m_file), expected);
}

const TagFormatCapabilities full{true, true, true, {}};
const TagFormatCapabilities wavWithoutId3{false, false, false, QStringLiteral("这个 WAV 文件没有 ID3v2 标签块，无法写入标签。")};
const TagFormatCapabilities wma{true, false, false, QStringLiteral("WMA/ASF 格式不支持写入专辑歌手或封面。")};

INSTANTIATE_TEST_SUITE_P(
    Formats, TagServiceFormatTest,
    testing::Values(Format{"mp3", "tone.mp3", {}, full},
                    Format{"m4a", "tone.m4a", {}, full},
                    Format{"flac", "tone.flac", {}, full},
                    Format{"ogg", "tone.ogg", {"-c:a", "libvorbis"}, full},
                    Format{"opus", "tone.opus", {"-c:a", "libopus"}, full},
                    Format{"aiff", "tone.aiff", {}, full},
                    Format{"wav", "tone.wav", {}, wavWithoutId3},
                    Format{"wma", "tone.wma", {}, wma, false}),
    [](const testing::TestParamInfo<Format> &info) { return std::string(info.param.name); });

class TagServiceTest : public testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE(m_folder.isValid()); }

    FileLocation at(const char *name) const { return FileLocation::fromLocalFile(m_folder.filePath(name)); }

    QTemporaryDir m_folder;
    TagService m_service;
};

TEST_F(TagServiceTest, WritingNoFieldSendsAnEmptyObjectAndTouchesNothing)
{
    EXPECT_EQ(TagService::jsonData(TagFields()), "{}");
    EXPECT_TRUE(m_service.write(TagFields(), at("missing.flac")));
    EXPECT_FALSE(QFile::exists(m_folder.filePath("missing.flac")));
}

TEST_F(TagServiceTest, CoverRefusedByTheFormatFailsWithTheBridgeMessage)
{
    const QString path = AudioFixture::makeTone(m_folder.path(), "tone.wma", 0.5);
    ASSERT_FALSE(path.isEmpty());
    TagFields cover;
    cover.artworkBase64 = base64Of(pngImage());

    const auto written = m_service.write(cover, FileLocation::fromLocalFile(path));

    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), TagServiceError::writeFailed(QStringLiteral("该格式不支持写入专辑歌手或封面")));
}

TEST_F(TagServiceTest, WritingToAMissingFileFailsWithTheBridgeMessage)
{
    TagFields title;
    title.title = QStringLiteral("晴天");

    const auto written = m_service.write(title, at("missing.flac"));

    ASSERT_FALSE(written);
    EXPECT_EQ(written.error(), TagServiceError::writeFailed(QStringLiteral("文件不存在")));
}

TEST_F(TagServiceTest, FileThatIsNoAudioReadsAsNothingAndRefusesTags)
{
    QFile text(m_folder.filePath("notes.flac"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("not audio at all");
    text.close();
    TagFields title;
    title.title = QStringLiteral("晴天");

    EXPECT_EQ(m_service.read(at("notes.flac")), std::nullopt);
    const auto written = m_service.write(title, at("notes.flac"));
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().message, QStringLiteral("不支持的音频格式"));
}

TEST_F(TagServiceTest, LocationWithoutASystemPathIsNeitherReadNorWritten)
{
    TagFields title;
    title.title = QStringLiteral("晴天");
    const FileLocation embeddedNul = FileLocation::fromPath(QByteArray("/tmp/a\0b.flac", 13));

    EXPECT_EQ(m_service.read(FileLocation()), std::nullopt);
    EXPECT_EQ(m_service.read(embeddedNul), std::nullopt);
    const auto written = m_service.write(title, embeddedNul);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().message, QStringLiteral("写入标签失败"));
}

} // namespace
