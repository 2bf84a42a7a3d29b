#include "CTagLib/Base64.h"
#include "CTagLib/JsonParser.h"
#include "CTagLib/ReadAheadStream.h"
#include "CTagLib/TagJson.h"
#include "CTagLib/taglib_bridge.h"

#include <QByteArray>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <taglib/tfilestream.h>

#include <gtest/gtest.h>

#include <climits>
#include <fcntl.h>

namespace {

std::optional<FieldMap> parse(const char *json)
{
    return JsonParser(json).parseObject();
}

TEST(TagBridgeJson, acceptsTheGrammarDecodingEscapesAndClampingNumbers)
{
    const auto fields = parse(" \t\r\n{ \"title\" : \"A\\\"B\\\\C\\/\\b\\f\\n\\r\\t\" ,\n\"year\":-12,\"genre\":null,\"odd\":+5,"
                              R"("t":"\u0041\u00e9\u4e2d\ud83c\udfb5\u0000z" })" "trailing bytes are not read \xff {\"");
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(fields->at("title").text, "A\"B\\C/\b\f\n\r\t");
    EXPECT_EQ(fields->at("year").number, -12);
    EXPECT_TRUE(fields->at("genre").present && fields->at("genre").null);
    EXPECT_EQ(fields->at("odd").number, 5);
    EXPECT_EQ(fields->at("t").text, std::string("A\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x8E\xB5\0z", 12));
    // The last of repeated keys counts; numbers beyond the range are clamped.
    const auto clamped = parse(R"({"title":"first","title":"last","year":99999999999999999999999,"n":-99999999999999999999999})");
    ASSERT_TRUE(clamped.has_value());
    EXPECT_EQ(clamped->at("title").text, "last");
    EXPECT_EQ(clamped->at("year").number, LLONG_MAX);
    EXPECT_EQ(clamped->at("n").number, LLONG_MIN);
}

TEST(TagBridgeJson, rejectsWhatIsOutsideTheGrammar)
{
    for (const char *json : {"", "[]", "{", "{\"title\":\"a\",}", "{'title':'a'}", "{\"title\":true}",
                             "{\"title\":false}", "{\"year\":1.5}", "{\"year\":1e3}", "{\"year\":-}",
                             "{\"year\": 12 13}", "{\"title\":\"\\ud800\"}", "{\"title\":\"\\ud800\\u0041\"}",
                             "{\"title\":\"\\udc00\"}", "{\"title\":\"\xff\"}", "{\"title\":\"a\x01\"}",
                             "{\"title\":\"\\x\"}", "{\"title\":\"\\u12G4\"}", "{\"title\":\"open",
                             "{\"title\" \"a\"}", "{\"title\":nul}", "{\"title\":nullx}", "{\"a\":{}}",
                             "{\"a\":[1]}", "{title:1}"})
        EXPECT_FALSE(parse(json).has_value()) << json;
}

// The read result's members are the round trips' (TagBridgeTest); these are the escapes they do not meet.
TEST(TagBridgeJson, stringsEscapeOnlyQuotesBackslashesAndControlBytes)
{
    EXPECT_EQ(TagJson::jsonString(""), "null");
    EXPECT_EQ(TagJson::jsonString("a\"b\\c/d\x7F\b\f\n\r\t\x01\x1F"), "\"a\\\"b\\\\c/d\x7F\\b\\f\\n\\r\\t\\u0001\\u001f\"");
    EXPECT_EQ(TagJson::jsonString("周杰伦"), "\"周杰伦\"");
}

// The alphabets it refuses are the bridge's cover text test's.
TEST(TagBridgeJson, base64EncodesWithPaddingAndDecodesLeniently)
{
    const std::pair<const char *, const char *> encoded[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"},
                                                             {"\xFB\xFF", "+/8="}};
    for (const auto &[bytes, text] : encoded)
        EXPECT_EQ(Base64::encode(bytes), text) << text;
    const std::pair<const char *, const char *> decoded[] = {{"Zm9v", "foo"}, {" Zm\r\n9v\tYg ", "foob"}, {"Zg", "f"},
                                                             {"Zg==!!!", "f"}, {"+/8=", "\xFB\xFF"}, {"=", ""}};
    for (const auto &[text, bytes] : decoded)
        EXPECT_EQ(Base64::decode(text), bytes) << text;
}

TEST(TagBridgeJson, nothingToWriteSucceedsWithoutLookingAtTheFileAndFailuresReportTheirMessage)
{
    for (const char *json : {"{}", " { \n } ", "{\"comment\":\"x\"}", "{\"title\":null,\"year\":null}"}) {
        char *error = reinterpret_cast<char *>(1);
        EXPECT_EQ(quillmere_write_tags("/nonexistent/file.mp3", json, &error), 0) << json;
        EXPECT_EQ(error, nullptr);
    }
    EXPECT_EQ(quillmere_write_tags("/nonexistent/file.mp3", nullptr, nullptr), 0);
    const std::tuple<const char *, const char *, const char *> failures[] = {
        {nullptr, "{}", "无效的文件路径"},
        {"/nonexistent/file.mp3", "{\"title\":", "标签数据格式无效"}};
    for (const auto &[path, json, message] : failures) {
        char *error = nullptr;
        EXPECT_EQ(quillmere_write_tags(path, json, &error), -1);
        EXPECT_STREQ(error, message);
        quillmere_free(error);
    }
    EXPECT_EQ(quillmere_write_tags("/nonexistent/file.mp3", "{\"title\":\"x\"}", nullptr), -1);
    EXPECT_EQ(quillmere_read_tags(nullptr), nullptr);
    quillmere_free(nullptr);
}

// Every read through the read-ahead stream, of files read whole or as head and tail, across the
// blocks, past the end and after seeks from every origin, gives what TagLib's own file stream gives.
using ReadAheadStreamTest = ::testing::TestWithParam<int>;

TEST_P(ReadAheadStreamTest, ReadsWhatTheFileStreamReads)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("data.bin"));
    QByteArray content(GetParam(), Qt::Uninitialized);
    QRandomGenerator random(GetParam());
    for (char &byte : content)
        byte = char(random.bounded(256));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    const QByteArray name = QFile::encodeName(path);
    TagLib::FileStream reference(name.constData(), true);
    ReadAheadStream stream(::open(name.constData(), O_RDONLY | O_CLOEXEC), name.toStdString());
    ASSERT_EQ(stream.length(), reference.length());
    using Position = TagLib::IOStream::Position;
    for (int step = 0; step < 400; ++step) {
        const auto origin = Position(random.bounded(3));
        const long offset = long(random.bounded(GetParam() + 2000)) - (origin == Position::Beginning ? 0 : GetParam() / 2);
        const unsigned long size = random.bounded(4) == 0 ? random.bounded(200'000) : random.bounded(4096);
        reference.seek(offset, origin);
        stream.seek(offset, origin);
        ASSERT_EQ(stream.tell(), reference.tell()) << "step " << step;
        const TagLib::ByteVector expected = reference.readBlock(size);
        const TagLib::ByteVector read = stream.readBlock(size);
        ASSERT_EQ(read, expected) << "step " << step << " at " << reference.tell();
        ASSERT_EQ(stream.tell(), reference.tell()) << "step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, ReadAheadStreamTest, ::testing::Values(0, 1, 5000, 300'000, 2'000'000));

} // namespace
