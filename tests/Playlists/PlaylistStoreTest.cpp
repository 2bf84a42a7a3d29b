#include "Playlists/PlaylistStore.h"

#include <gtest/gtest.h>

namespace {

const QUuid a = QUuid::createUuid(), b = QUuid::createUuid(), c = QUuid::createUuid();

// A store whose persist callback and change signal are counted.
class PlaylistStoreTest : public ::testing::Test
{
protected:
    PlaylistStoreTest() { QObject::connect(&store, &PlaylistStore::playlistsChanged, [this] { ++changes; }); }

    // Adds a playlist holding the given tracks without counting it as an edit.
    QUuid seed(const QList<QUuid> &trackIDs)
    {
        const Playlist playlist = store.create(u"Mix"_qs);
        store.add(trackIDs, playlist.id);
        forget();
        return playlist.id;
    }
    void forget() { persisted.clear(); changes = 0; }
    QList<QUuid> tracksOf(const QUuid &playlistID) const
    {
        const auto found = std::ranges::find(store.playlists(), playlistID, &Playlist::id);
        return found == store.playlists().end() ? QList<QUuid>{} : found->trackIDs;
    }
    void expectEdits(qsizetype count) const
    {
        EXPECT_EQ(persisted.size(), count);
        EXPECT_EQ(changes, count);
        EXPECT_EQ(persisted.value(persisted.size() - 1, store.playlists()), store.playlists());
    }

    QList<QList<Playlist>> persisted;
    int changes = 0;
    PlaylistStore store{{}, [this](const QList<Playlist> &playlists) -> std::expected<void, FileError> {
                            persisted.append(playlists);
                            return {};
                        }};
};

TEST_F(PlaylistStoreTest, CreateTrimsTheNameOrUsesTheDefaultAndRenameAlwaysSetsIt)
{
    const Playlist blank = store.create(u" \t\n"_qs);
    const Playlist padded = store.create(u"  夜跑  "_qs);
    const Playlist twin = store.create(u"夜跑"_qs);
    EXPECT_EQ(blank, (Playlist{blank.id, u"新建播放列表"_qs, {}}));
    EXPECT_EQ(padded.name + twin.name, u"夜跑夜跑"_qs);
    EXPECT_EQ(store.playlists(), (QList<Playlist>{blank, padded, twin}));
    expectEdits(3);

    forget();
    store.rename(blank.id, u" 通勤 "_qs);
    store.rename(blank.id, u"通勤"_qs); // even when unchanged
    EXPECT_EQ(store.playlists().first().name, u"通勤"_qs);
    expectEdits(2);
}

TEST_F(PlaylistStoreTest, AddAppendsOnlyNewIdentifiersOnceAndRemoveTakesTheFirstOccurrence)
{
    const QUuid mix = seed({b});
    store.add({a, b, a, c}, mix);
    EXPECT_EQ(tracksOf(mix), (QList<QUuid>{b, a, c}));
    expectEdits(1);
    store.add({c, b, c}, mix);
    store.add({}, mix);
    expectEdits(1);

    store.reload({Playlist{mix, u"Mix"_qs, {a, b, a}}});
    forget();
    store.remove(a, mix);
    EXPECT_EQ(tracksOf(mix), (QList<QUuid>{b, a}));
    expectEdits(1);
    store.remove(c, mix);
    expectEdits(1);
}

TEST_F(PlaylistStoreTest, MovesWithinTheLimitsOfTheList)
{
    const struct
    {
        qsizetype from, to;
        QList<QUuid> expected;
    } moves[] = {{0, 99, {b, c, a}}, {0, 1, {b, a, c}}, {2, -5, {c, a, b}}, {2, 0, {c, a, b}}, {1, 1, {a, b, c}},
                 {3, 0, {a, b, c}}, {-1, 0, {a, b, c}}};
    for (const auto &move : moves) {
        const QUuid mix = seed({a, b, c});
        store.move(move.from, move.to, mix);
        EXPECT_EQ(tracksOf(mix), move.expected) << move.from << " to " << move.to;
        expectEdits(move.from >= 0 && move.from < 3 ? 1 : 0); // a move in place is still an edit
        store.deletePlaylist(mix);
    }
}

TEST_F(PlaylistStoreTest, BlankNamesUnknownPlaylistsAndReloadsPersistNothingAndSharedIdentifiersEditTheFirst)
{
    const QUuid mix = seed({a, b});
    const QList<Playlist> before = store.playlists();
    const QUuid unknown = QUuid::createUuid();
    store.rename(mix, u"  \n"_qs);
    store.rename(unknown, u"Other"_qs);
    store.deletePlaylist(unknown);
    store.add({c}, unknown);
    store.remove(a, unknown);
    store.move(0, 1, unknown);
    EXPECT_EQ(store.playlists(), before);
    expectEdits(0);

    const QList<Playlist> shared{Playlist{mix, u"One"_qs, {}}, Playlist{mix, u"Two"_qs, {}}};
    store.reload(shared);
    store.reload(shared);
    EXPECT_EQ(changes, 1) << "only a different list is taken";
    EXPECT_TRUE(persisted.isEmpty());
    store.add({a}, mix);
    EXPECT_EQ(store.playlists().at(0).trackIDs, QList<QUuid>{a});
    EXPECT_TRUE(store.playlists().at(1).trackIDs.isEmpty());
    store.deletePlaylist(mix);
    EXPECT_EQ(store.playlists(), (QList<Playlist>{Playlist{mix, u"Two"_qs, {}}}));
}

} // namespace
