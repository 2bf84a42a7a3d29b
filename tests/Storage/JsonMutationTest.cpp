#include "Models/LibraryIndex.h"
#include "Models/Playlist.h"
#include "Settings/AppSettings.h"
#include "Storage/JsonFile.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

// Damaged stored files must give a clear failure or a value, never a crash: thousands of random
// mutations of real files go through every decoder (run under ASan in CI). Whatever decodes must
// survive another round trip unchanged.

namespace {

QByteArray mutated(const QByteArray &original, QRandomGenerator &random)
{
    static const QByteArray interesting = "{}[],:\"\\ 0-.eE\x00\x80\xff\xc3\xa9nulltruefalse";
    QByteArray bytes = original;
    const int edits = 1 + random.bounded(4);
    for (int i = 0; i < edits && !bytes.isEmpty(); ++i) {
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
        const QByteArray bytes = mutated(original, random);
        const auto result = JsonFile::decode<T>(bytes);
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
    // Many mutations land inside texts and numbers and still decode.
    EXPECT_GT(decoded, 0);
}

LibraryIndex sampleLibrary()
{
    LibraryIndex index;
    for (int i = 0; i < 40; ++i) {
        Track track;
        track.id = QUuid::createUuid();
        track.url = FileLocation::fromPath("/音乐/专辑 " + QByteArray::number(i) + "/song#" + QByteArray::number(i) + ".flac");
        track.title = QStringLiteral("晴天 \"%1\"").arg(i);
        track.artist = QStringLiteral("周杰伦");
        track.year = 2000 + i;
        track.duration = 180.5 + i;
        track.modifiedAt = 700000000.25 + i;
        index.tracks.append(track);
    }
    index.folders = {FileLocation::fromPath("/音乐")};
    return index;
}

} // namespace

TEST(JsonMutation, TheLibraryFileNeverCrashesTheReader)
{
    survivesMutations(sampleLibrary(), 20000);
}

TEST(JsonMutation, PlaylistsAndSettingsNeverCrashTheirReaders)
{
    QList<Playlist> playlists;
    for (int i = 0; i < 5; ++i)
        playlists.append({QUuid::createUuid(), QStringLiteral("列表 %1").arg(i), {QUuid::createUuid(), QUuid::createUuid()}});
    survivesMutations(playlists, 5000);
    AppSettings settings;
    settings.lastQueue = {QUuid::createUuid()};
    settings.lastTrackID = settings.lastQueue.first();
    settings.lyricsEndpoint = QStringLiteral("https://example.org/api/get");
    survivesMutations(settings, 5000);
}
