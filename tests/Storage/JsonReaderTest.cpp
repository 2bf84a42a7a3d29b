#include "Models/LibraryIndex.h"
#include "Models/Playlist.h"
#include "Storage/JsonFile.h"
#include "Storage/JsonReader.h"
#include "Storage/JsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

TEST(JsonReader, UnescapesStringsLikeAnyJsonParser)
{
    const QByteArray json = R"(["plain", "q\"b\\s\/n\n\t", "\u6674\u5929", "\ud83c\udfb5", "晴天"])";
    JsonReader reader(json);
    ASSERT_TRUE(reader.beginArray());
    QStringList texts;
    while (reader.nextElement())
        texts.append(reader.readString().value_or(QStringLiteral("<error>")));
    ASSERT_TRUE(reader.ok()) << reader.error().toStdString();
    const QJsonArray expected = QJsonDocument::fromJson(json).array();
    ASSERT_EQ(texts.size(), expected.size());
    for (qsizetype i = 0; i < texts.size(); ++i)
        EXPECT_EQ(texts.at(i), expected.at(i).toString()) << i;
    // UTF-8 cannot hold a lone surrogate: it becomes the replacement character. Raw bytes must be
    // UTF-8 text without control characters.
    EXPECT_EQ(JsonReader(QByteArray(R"("\ud800 lone \\ud800 \udc00\ud83c\udfb5\ud83c")")).readString(),
              QStringLiteral("\uFFFD lone \\ud800 \uFFFD\U0001F3B5\uFFFD"));
    for (const char *bad : {"\"\xff\"", "\"\x01\"", R"("\ud800\x")"})
        EXPECT_FALSE(JsonReader(QByteArray(bad)).readString()) << bad;
}

TEST(JsonReader, AStoredTextWithALoneSurrogateStaysReadable)
{
    // Qt's writer keeps a lone surrogate as its \u escape.
    const Playlist playlist{QUuid::createUuid(), QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b"), {}};
    const auto decoded = JsonFile::decode<QList<Playlist>>(JsonFile::encode(QList<Playlist>{playlist}));
    ASSERT_TRUE(decoded) << decoded.error().toStdString();
    EXPECT_EQ(decoded->first().name, QStringLiteral("a\uFFFDb"));
}

TEST(JsonReader, NumbersAreStrictAndIntegersIntegral)
{
    auto integer = [](const char *text) { return JsonReader(QByteArray(text)).readInteger(); };
    EXPECT_EQ(integer("42"), 42);
    EXPECT_EQ(integer("-7"), -7);
    EXPECT_EQ(integer("3.0"), 3);
    EXPECT_EQ(integer("1e3"), 1000);
    EXPECT_FALSE(integer("2.5"));
    EXPECT_FALSE(integer("99999999999999999999"));
    EXPECT_FALSE(JsonReader(QByteArray("1e999")).readNumber());
    EXPECT_FALSE(JsonReader(QByteArray("-")).readNumber());
    EXPECT_EQ(JsonReader(QByteArray("0.1")).readNumber(), 0.1);
}

TEST(JsonReader, SkipsUnknownValuesAndRefusesHostileNesting)
{
    const QByteArray json(R"({"skip": {"a": [1, "]}", {"b": null}], "c": true}, "keep": "yes"})");
    JsonReader reader(json);
    ASSERT_TRUE(reader.beginObject());
    QByteArrayView key;
    QString kept;
    while (reader.nextKey(key)) {
        if (key == "keep")
            kept = reader.readString().value_or(QString());
        else
            reader.skipValue();
    }
    EXPECT_TRUE(reader.ok()) << reader.error().toStdString();
    EXPECT_EQ(kept, QStringLiteral("yes"));

    const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
    JsonReader hostile(deep);
    EXPECT_FALSE(hostile.skipValue());
    EXPECT_FALSE(JsonFile::decode<LibraryIndex>("{\"folders\": [], \"tracks\": " + deep + "}"));
}

TEST(JsonReader, ALargeArrayKeepsOrderAndFailsOnOneBadElement)
{
    LibraryIndex index;
    for (int i = 0; i < 9000; ++i) {
        Track track;
        track.id = QUuid::createUuid();
        track.url = FileLocation::fromPath("/m/" + QByteArray::number(i) + ".flac");
        track.title = QStringLiteral("t%1 \"quoted\" [bracket] {brace} \\ ,").arg(i);
        index.tracks.append(track);
    }
    const QByteArray bytes = JsonFile::encode(index);
    const auto decoded = JsonFile::decode<LibraryIndex>(bytes);
    ASSERT_TRUE(decoded) << decoded.error().toStdString();
    EXPECT_EQ(decoded->tracks, index.tracks);

    QByteArray damaged = bytes;
    damaged.replace(QByteArray("\"t7000 "), QByteArray("\"t7000\x01"));
    EXPECT_FALSE(JsonFile::decode<LibraryIndex>(damaged));
    EXPECT_FALSE(JsonFile::decode<LibraryIndex>(bytes.left(bytes.size() / 2)));
}

TEST(JsonWriter, WritesWhatQtReadsBack)
{
    JsonWriter writer;
    writer.beginObject();
    writer.key(QLatin1String("a"));
    writer.value(QStringLiteral("line\nbreak \"quote\" \x01 \U0001F3B5"));
    writer.key(QLatin1String("b"));
    writer.value(1e21);
    writer.key(QLatin1String("c"));
    writer.value(std::numeric_limits<double>::quiet_NaN());
    writer.key(QLatin1String("d"));
    writer.beginArray();
    writer.endArray();
    writer.endObject();
    QJsonParseError error;
    const QJsonObject object = QJsonDocument::fromJson(writer.take(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError);
    EXPECT_EQ(object.value(QLatin1String("a")).toString(), QStringLiteral("line\nbreak \"quote\" \x01 \U0001F3B5"));
    EXPECT_EQ(object.value(QLatin1String("b")).toDouble(), 1e21);
    EXPECT_EQ(object.value(QLatin1String("c")).toDouble(), 0.0);
    EXPECT_TRUE(object.value(QLatin1String("d")).toArray().isEmpty());
}
