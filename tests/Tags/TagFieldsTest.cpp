#include "Tags/TagFields.h"

#include "Storage/JsonFile.h"

#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

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
