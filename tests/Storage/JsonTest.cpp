#include "FaultInjectingFileOperations.h"
#include "Models/LibraryIndex.h"
#include "Models/Playlist.h"
#include "Settings/AppSettings.h"
#include "Storage/BackupJSON.h"
#include "Storage/JsonFields.h"
#include "Storage/JsonFile.h"
#include "Storage/JsonReader.h"
#include "Storage/JsonWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

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

// The writer makes the common forms itself rather than through Qt; stored files must not change
// by a byte, so every form is compared with the one Qt makes.
QByteArray written(const auto &value)
{
    JsonWriter writer;
    writer.value(value);
    return writer.take().chopped(1);
}

TEST(JsonWriterForms, NumbersAreQtsShortestForm)
{
    QRandomGenerator random(7);
    QList<double> numbers{0.001, 0.0001, 0.1, 1.5, -2.25, 123456789012345.67, 1e15 + 0.5, 9007199254740993.0,
                          1e-300, 5e-324, std::numeric_limits<double>::max(), 786543210.123456789};
    for (int i = 0; i < 20000; ++i) {
        quint64 bits = random.generate64();
        double any;
        std::memcpy(&any, &bits, sizeof any);
        numbers << any << std::ldexp(random.generateDouble(), random.bounded(-14, 60)) << 7e8 + random.generateDouble() * 1e8;
    }
    for (const double number : std::as_const(numbers)) {
        if (!std::isfinite(number))
            continue;
        const QByteArray expected = number == std::trunc(number) && std::fabs(number) < 9007199254740992.0
            ? QByteArray::number(qint64(number))
            : QByteArray::number(number, 'g', QLocale::FloatingPointShortest);
        ASSERT_EQ(written(number), expected) << expected.toStdString();
    }
    EXPECT_EQ(written(std::numeric_limits<double>::infinity()), "0");
    EXPECT_EQ(written(std::numeric_limits<qint64>::min()), QByteArray::number(std::numeric_limits<qint64>::min()));
}

TEST(JsonWriterForms, IdentifiersLocationsAndTextAreQtsForms)
{
    for (int i = 0; i < 100; ++i) {
        const QUuid id = QUuid::createUuid();
        ASSERT_EQ(written(id), '"' + Json::uuidBytes(id) + '"');
    }
    QByteArray everyByte("/music/");
    for (int byte = 1; byte < 256; ++byte)
        everyByte.append(char(byte));
    const FileLocation location = FileLocation::fromPath(everyByte);
    EXPECT_EQ(written(location), '"' + location.urlBytes() + '"');

    const QString plain = QString::fromUtf16(u"晴天 é \"q\" \\ \t\n\x01 🎵");
    EXPECT_EQ(QJsonDocument::fromJson('[' + written(plain) + ']').array(), QJsonArray{plain});
    // Lone surrogates become whatever Qt's converter makes of them.
    for (const QString &text : {plain, QString(QChar(0xD800)) + u"x"_qs, u"x"_qs + QChar(0xDC00), u"end"_qs + QChar(0xD83C),
                                QString(QChar(0xFFFF))})
        EXPECT_EQ(written(text), written(QByteArrayView(text.toUtf8()))) << text.toStdString();
}

Track sampleTrack()
{
    return {.id = QUuid::fromString(u"6F9619FF-8B86-D011-B42D-00C04FC964FF"_qs), .url = FileLocation::fromPath("/音乐/a b#1.flac"),
            .title = u"晴天"_qs, .artist = u"周杰伦"_qs, .duration = 269.5, .fileSize = 31234567, .modifiedAt = 734567890.123456};
}

QJsonObject trackObject(const Track &track)
{
    return QJsonDocument::fromJson(JsonFile::encode(track)).object();
}

std::expected<Track, QString> trackFrom(const QJsonObject &object)
{
    return JsonFile::decode<Track>(QJsonDocument(object).toJson());
}

TEST(TrackJson, RoundTripsEveryFieldAndWritesANonFiniteDurationAsZero)
{
    // Every field given in declaration order: a field the codec forgets fails the comparison.
    Track track{sampleTrack().id, sampleTrack().url, u"晴天"_qs, u"周杰伦"_qs, u"叶惠美"_qs, u"周杰伦"_qs, 2003, 0, u"流行"_qs,
                269.5, 31234567, 734567890.123456, u"6F9619FF-8B86-D011-B42D-00C04FC964FF.jpg"_qs, true};
    EXPECT_EQ(JsonFile::decode<Track>(JsonFile::encode(track)), track);
    track.duration = std::numeric_limits<double>::infinity();
    EXPECT_EQ(JsonFile::decode<Track>(JsonFile::encode(track))->duration, 0.0);
}

TEST(TrackJson, WritesSortedKeysLeavesAbsentOptionalsOutAndReadsNullsAsAbsent)
{
    const QByteArray text = JsonFile::encode(sampleTrack());
    const QStringList keys = QJsonDocument::fromJson(text).object().keys();
    EXPECT_EQ(keys, (QStringList{"album", "artist", "duration", "fileSize", "id", "isMissing", "modifiedAt", "title", "url"}));
    EXPECT_LT(text.indexOf("\"album\""), text.indexOf("\"artist\""));
    for (const char *pair : {"\"id\": \"6F9619FF-8B86-D011-B42D-00C04FC964FF\"", "\"artist\": \"周杰伦\"", "\"album\": \"\""})
        EXPECT_TRUE(text.contains(pair)) << pair;

    // Nulls of optional fields and unknown keys are read as absent and not written again.
    QJsonObject nullYear = trackObject(sampleTrack());
    nullYear.insert(u"year"_qs, QJsonValue::Null);
    nullYear.insert(u"unknownKey"_qs, 42);
    const Track decoded = trackFrom(nullYear).value_or(Track());
    EXPECT_EQ(decoded, sampleTrack());
    EXPECT_EQ(trackObject(decoded).keys(), keys);
}

TEST(TrackJson, MissingRequiredKeysWrongTypesAndBadIdentifiersFailTheRecord)
{
    QJsonObject withoutMissing = trackObject(sampleTrack());
    withoutMissing.remove(u"isMissing"_qs);
    EXPECT_FALSE(trackFrom(withoutMissing));
    const std::pair<const char *, QJsonValue> faults[] = {
        {"year", u"2003"_qs}, {"year", 2003.5}, {"fileSize", 1e30}, {"id", u"{6F9619FF-8B86-D011-B42D-00C04FC964FF}"_qs},
        {"url", u"not a url"_qs}, {"isMissing", 0}};
    for (const auto &[key, value] : faults) {
        QJsonObject object = trackObject(sampleTrack());
        object.insert(QString::fromLatin1(key), value);
        EXPECT_FALSE(trackFrom(object)) << key;
    }
}

TEST(PlaylistJson, OrderMattersAndOneBadPlaylistFailsTheFile)
{
    const QUuid x = QUuid::createUuid(), y = QUuid::createUuid();
    const Playlist forward{QUuid::createUuid(), u"新建播放列表"_qs, {x, y}};
    const Playlist backward{forward.id, forward.name, {y, x}};
    EXPECT_NE(forward, backward);
    const QList<Playlist> playlists{forward, backward};
    EXPECT_EQ(JsonFile::decode<QList<Playlist>>(JsonFile::encode(playlists)), playlists);

    QByteArray damaged = JsonFile::encode(playlists);
    damaged.replace(Json::uuidText(y).toLatin1(), "not-a-uuid");
    EXPECT_FALSE(JsonFile::decode<QList<Playlist>>(damaged));
    EXPECT_FALSE(JsonFile::decode<QList<Playlist>>(JsonFile::encode(forward))); // an object, not an array
}

// A library with tracks and folders round trips through the library store's load.
TEST(LibraryIndexJson, AnEmptyLibraryWritesBothLists)
{
    EXPECT_EQ(QJsonDocument::fromJson(JsonFile::encode(LibraryIndex{})).object(),
              QJsonObject({{"folders", QJsonArray()}, {"tracks", QJsonArray()}}));
}

std::expected<AppSettings, QString> settingsFrom(const char *json)
{
    return JsonFile::decode<AppSettings>(QByteArray(json));
}

TEST(AppSettings, DefaultsWriteSixteenKeysAndRoundTripWithTheResumeState)
{
    EXPECT_EQ(settingsFrom("{}"), AppSettings());
    const QJsonObject defaults = QJsonDocument::fromJson(JsonFile::encode(AppSettings())).object();
    EXPECT_EQ(defaults.size(), 16);
    EXPECT_FALSE(defaults.contains(u"lastTrackID"_qs));
    EXPECT_EQ(defaults.value(u"hideFromScreenCapture"_qs), QJsonValue(true));
    EXPECT_EQ(defaults.value(u"lyricsOpacity"_qs), QJsonValue(0.26));

    const QUuid last = QUuid::createUuid();
    const AppSettings settings{.customAccentHex = u"#3A7BD5"_qs, .lastQueue = {last, QUuid::createUuid()}, .lastTrackID = last,
                               .lastPosition = 83.25, .ffmpegPath = u"/opt/ffmpeg/bin/ffmpeg"_qs};
    EXPECT_EQ(JsonFile::decode<AppSettings>(JsonFile::encode(settings)), settings);
}

TEST(AppSettings, NullsKeepDefaultsUnknownNamesAreKeptAndSequentialIsRepeatAll)
{
    const AppSettings expected{.themePreset = u"neon"_qs, .playbackMode = u"repeatAll"_qs, .appLanguage = u"fr"_qs};
    EXPECT_EQ(settingsFrom(R"({"hideFromScreenCapture": null, "customAccentHex": null, "playbackMode": "sequential",
                               "themePreset": "neon", "appLanguage": "fr", "extra": 1})"),
              expected);
}

TEST(AppSettings, WrongTypesAndTrailingTextFailTheWholeRecord)
{
    for (const char *json : {R"({"lyricsOpacity": "0.5"})", R"({"lastQueue": ["6F9619FF-8B86-D011-B42D-00C04FC964FF", "nope"]})",
                             R"({"lastTrackID": "nope"})", R"({"keepRunningOnClose": 1})", "{} {}", "{"})
        EXPECT_FALSE(settingsFrom(json)) << json;
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
