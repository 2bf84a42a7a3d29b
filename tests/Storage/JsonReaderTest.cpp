#include "FaultInjectingFileOperations.h"
#include "Models/LibraryIndex.h"
#include "Models/Playlist.h"
#include "Settings/AppSettings.h"
#include "Storage/BackupJSON.h"
#include "Storage/JsonFile.h"
#include "Storage/JsonReader.h"
#include "Storage/JsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(JsonReader, UnescapesStringsLikeAnyJsonParser)
{
    const QByteArray json = R"(["plain", "q\"b\\s\/n\n\t", "\u6674\u5929", "\ud83c\udfb5", "晴天"])";
    JsonReader reader(json);
    ASSERT_TRUE(reader.beginArray());
    QJsonArray texts;
    while (reader.nextElement())
        texts.append(reader.readString().value_or(u"<error>"_qs));
    ASSERT_TRUE(reader.ok()) << reader.error().toStdString();
    EXPECT_EQ(texts, QJsonDocument::fromJson(json).array());
    // UTF-8 cannot hold a lone surrogate: it becomes the replacement character, also in a stored
    // text (Qt's writer keeps it as its \u escape). Raw bytes must be UTF-8 without control characters.
    EXPECT_EQ(JsonReader(QByteArray(R"("\ud800 lone \\ud800 \udc00\ud83c\udfb5\ud83c")")).readString(),
              u"\uFFFD lone \\ud800 \uFFFD\U0001F3B5\uFFFD"_qs);
    for (const char *bad : {"\"\xff\"", "\"\x01\"", R"("\ud800\x")"})
        EXPECT_FALSE(JsonReader(QByteArray(bad)).readString()) << bad;
    const Playlist playlist{QUuid::createUuid(), u"a"_qs + QChar(0xD800) + u"b"_qs, {}};
    const auto decoded = JsonFile::decode<QList<Playlist>>(JsonFile::encode(QList<Playlist>{playlist}));
    ASSERT_TRUE(decoded) << decoded.error().toStdString();
    EXPECT_EQ(decoded->first().name, u"a\uFFFDb"_qs);
}

TEST(JsonReader, NumbersAreStrictAndIntegersIntegral)
{
    const std::pair<const char *, std::optional<qint64>> integers[] = {
        {"42", 42}, {"-7", -7}, {"3.0", 3}, {"1e3", 1000}, {"2.5", std::nullopt}, {"99999999999999999999", std::nullopt}};
    for (const auto &[text, value] : integers)
        EXPECT_EQ(JsonReader(QByteArray(text)).readInteger(), value) << text;
    EXPECT_FALSE(JsonReader(QByteArray("1e999")).readNumber());
    EXPECT_FALSE(JsonReader(QByteArray("-")).readNumber());
    EXPECT_EQ(JsonReader(QByteArray("0.1")).readNumber(), 0.1);
}

TEST(JsonReader, SkipsUnknownValuesAndRefusesHostileNesting)
{
    JsonReader reader(QByteArray(R"({"skip": {"a": [1, "]}", {"b": null}], "c": true}, "keep": "yes"})"));
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
    EXPECT_EQ(kept, u"yes"_qs);

    const QByteArray deep = QByteArray(100000, '[') + QByteArray(100000, ']');
    EXPECT_FALSE(JsonReader(deep).skipValue());
    EXPECT_FALSE(JsonFile::decode<LibraryIndex>("{\"folders\": [], \"tracks\": " + deep + "}"));
}

LibraryIndex libraryOf(int count, const QString &title)
{
    LibraryIndex index{{}, {FileLocation::fromPath("/音乐")}};
    for (int i = 0; i < count; ++i) {
        const QByteArray number = QByteArray::number(i);
        index.tracks.append({.id = QUuid::createUuid(), .url = FileLocation::fromPath("/音乐/专辑 " + number + "/song#" + number + ".flac"),
                             .title = title.arg(i), .artist = u"周杰伦"_qs, .year = 2000 + i, .duration = 180.5 + i,
                             .modifiedAt = 700000000.25 + i});
    }
    return index;
}

TEST(JsonReader, ALargeArrayKeepsOrderAndFailsOnOneBadElement)
{
    const LibraryIndex index = libraryOf(9000, u"t%1 \"quoted\" [bracket] {brace} \\ ,"_qs);
    const QByteArray bytes = JsonFile::encode(index);
    const auto decoded = JsonFile::decode<LibraryIndex>(bytes);
    ASSERT_TRUE(decoded) << decoded.error().toStdString();
    EXPECT_EQ(decoded->tracks, index.tracks);
    EXPECT_FALSE(JsonFile::decode<LibraryIndex>(QByteArray(bytes).replace("\"t7000 ", "\"t7000\x01")));
    EXPECT_FALSE(JsonFile::decode<LibraryIndex>(bytes.left(bytes.size() / 2)));
    EXPECT_FALSE(JsonFile::decode<LibraryIndex>(bytes + "{}")) << "trailing characters";
}

TEST(JsonWriter, WritesWhatQtReadsBack)
{
    const QString text = u"line\nbreak \"quote\" \x01 \U0001F3B5"_qs;
    JsonWriter writer;
    writer.beginArray();
    writer.value(text);
    writer.value(1e21);
    writer.value(std::numeric_limits<double>::quiet_NaN());
    writer.beginArray();
    writer.endArray();
    writer.endArray();
    QJsonParseError error;
    EXPECT_EQ(QJsonDocument::fromJson(writer.take(), &error).array(), (QJsonArray{text, 1e21, 0.0, QJsonArray()}));
    EXPECT_EQ(error.error, QJsonParseError::NoError);
}

// Damaged stored files must give a clear failure or a value, never a crash: thousands of random
// mutations of real files go through every decoder (run under ASan in CI). Whatever decodes must
// survive another round trip unchanged.
QByteArray mutated(const QByteArray &original, QRandomGenerator &random)
{
    static const QByteArray interesting = "{}[],:\"\\ 0-.eE\x00\x80\xff\xc3\xa9nulltruefalse";
    QByteArray bytes = original;
    for (int i = 0, edits = 1 + random.bounded(4); i < edits && !bytes.isEmpty(); ++i) {
        const qsizetype at = random.bounded(bytes.size());
        switch (random.bounded(4)) {
        case 0: bytes[at] = interesting.at(random.bounded(interesting.size())); break;
        case 1: bytes.remove(at, 1 + random.bounded(8)); break;
        case 2: bytes.insert(at, interesting.mid(random.bounded(interesting.size()), 1)); break;
        case 3: bytes.truncate(at); break;
        }
    }
    return bytes;
}

template <typename T>
void survivesMutations(const T &value, int rounds)
{
    const QByteArray original = JsonFile::encode(value);
    QRandomGenerator random(20261206);
    int decoded = 0;
    for (int round = 0; round < rounds; ++round) {
        const auto result = JsonFile::decode<T>(mutated(original, random));
        if (!result) {
            EXPECT_FALSE(result.error().isEmpty());
            continue;
        }
        ++decoded;
        const QByteArray again = JsonFile::encode(*result);
        const auto back = JsonFile::decode<T>(again);
        ASSERT_TRUE(back) << back.error().toStdString();
        EXPECT_EQ(JsonFile::encode(*back), again);
    }
    EXPECT_GT(decoded, 0); // many mutations land inside texts and numbers and still decode
}

TEST(JsonMutation, TheStoredFilesNeverCrashTheirReaders)
{
    survivesMutations(libraryOf(40, u"晴天 \"%1\""_qs), 20000);
    QList<Playlist> playlists;
    for (int i = 0; i < 5; ++i)
        playlists.append({QUuid::createUuid(), u"列表 %1"_qs.arg(i), {QUuid::createUuid(), QUuid::createUuid()}});
    survivesMutations(playlists, 5000);
    const QUuid id = QUuid::createUuid();
    survivesMutations(AppSettings{.lyricsEndpoint = u"https://example.org/api/get"_qs, .lastQueue = {id}, .lastTrackID = id}, 5000);
}

TEST(BackupJSONTest, SavesKeepABackupThatLoadsFallBackTo)
{
    QTemporaryDir dir;
    const FileLocation journal = FileLocation::fromLocalFile(dir.path()).appending(QByteArray("undo/j.json"));
    const FileLocation backup = journal.withSuffix(".bak");
    const auto read = [](const FileLocation &file) { return FileOperations::system().readAll(file).value_or("<none>"); };
    const auto load = [&] {
        const auto loaded = BackupJSON::load<QList<Playlist>>(journal);
        return std::pair(loaded.source, loaded.value);
    };
    const QList<Playlist> first{{QUuid::createUuid(), u"一"_qs, {}}};
    const QList<Playlist> second{{QUuid::createUuid(), u"二"_qs, {QUuid::createUuid()}}};

    EXPECT_EQ(load().first, LoadSource::Absent);
    ASSERT_TRUE(BackupJSON::save(first, journal));
    EXPECT_FALSE(FileOperations::system().exists(backup));
    const QByteArray firstBytes = read(journal);
    FaultInjectingFileOperations files;
    files.failOnce(FileOperations::Operation::Copy, EIO);
    EXPECT_FALSE(BackupJSON::save(second, journal, files));
    EXPECT_EQ(read(journal), firstBytes) << "a failed backup copy leaves the journal unchanged";
    ASSERT_TRUE(BackupJSON::save(second, journal));
    EXPECT_EQ(read(backup), firstBytes);
    EXPECT_EQ(load(), std::pair(LoadSource::Primary, std::optional(second)));
    ASSERT_TRUE(FileOperations::system().writeAtomically(journal, "{ damaged"));
    EXPECT_EQ(load(), std::pair(LoadSource::Backup, std::optional(first)));
    ASSERT_TRUE(FileOperations::system().writeAtomically(backup, "also damaged"));
    EXPECT_EQ(load(), std::pair(LoadSource::Unreadable, std::optional<QList<Playlist>>()));

    // Removal takes both files and stops at the first failure.
    files.failOnce(FileOperations::Operation::Remove, EIO, "j.json");
    EXPECT_FALSE(BackupJSON::remove(journal, files));
    EXPECT_TRUE(FileOperations::system().exists(backup));
    EXPECT_TRUE(BackupJSON::remove(journal));
    EXPECT_FALSE(FileOperations::system().exists(backup));
    EXPECT_TRUE(BackupJSON::remove(journal));
}

} // namespace
