#include "LibraryBrowser.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

const QStringList words{QStringLiteral("Rock"),  QStringLiteral("晴天"), QStringLiteral("Blue"),
                        QStringLiteral("七里香"), QStringLiteral("Moon"), QStringLiteral("Été")};

Track randomTrack(QRandomGenerator &random)
{
    Track track;
    track.id = QUuid::createUuid();
    track.title = words.at(random.bounded(int(words.size()))) + QString::number(random.bounded(5));
    track.artist = words.at(random.bounded(int(words.size())));
    track.album = words.at(random.bounded(int(words.size())));
    const QByteArray folder = random.bounded(2) ? "/Music/Rock/" : "/Music/Rockabilly/";
    track.url = FileLocation::fromPath(folder + track.id.toByteArray(QUuid::WithoutBraces) + ".mp3");
    track.duration = random.bounded(3);
    track.modifiedAt = random.bounded(4);
    return track;
}

// What the list shows, worked out from scratch.
QList<QUuid> freshlyComputed(const QList<Track> &tracks, const QList<Playlist> &playlists, const BrowseState &state)
{
    const QList<Track> base = LibraryBrowser::baseTracks(tracks, playlists, state.selection);
    TrackQuery query;
    const QList<qsizetype> rows = state.sortsColumns()
        ? query.apply(base, state.searchText, state.sort, state.ascending)
        : query.filter(base, state.searchText);
    QList<QUuid> ids;
    for (qsizetype row : rows)
        ids.append(base.at(row).id);
    return ids;
}

} // namespace

TEST(LibraryBrowserTest, TheKeptListEqualsAFreshComputationAfterRandomEdits)
{
    QRandomGenerator random(20240501);
    QList<Track> tracks;
    for (int i = 0; i < 60; ++i)
        tracks.append(randomTrack(random));
    QList<Playlist> playlists{{QUuid::createUuid(), QStringLiteral("P"), {}}};
    quint64 tracksRevision = 1, playlistsRevision = 1;
    BrowseState state;
    LibraryBrowser browser;

    for (int step = 0; step < 400; ++step) {
        switch (random.bounded(7)) {
        case 0:
            state.searchText = random.bounded(3) ? words.at(random.bounded(int(words.size()))).left(2).toLower()
                                                 : QStringLiteral("  ");
            break;
        case 1:
            state.sort = allTrackSorts.at(random.bounded(int(allTrackSorts.size())));
            state.ascending = random.bounded(2);
            break;
        case 2: {
            const int kind = random.bounded(4);
            state.selection = kind == 0   ? LibrarySelection::allMusic()
                              : kind == 1 ? LibrarySelection::folder(FileLocation::fromPath("/Music/Rock/"))
                              : kind == 2 ? LibrarySelection::playlist(playlists.first().id)
                                          : LibrarySelection::playlist(QUuid::createUuid());
            state.playlistSorting = random.bounded(2);
            break;
        }
        case 3:
            tracks[random.bounded(int(tracks.size()))].title = words.at(random.bounded(int(words.size())));
            ++tracksRevision;
            break;
        case 4:
            if (random.bounded(2))
                tracks.append(randomTrack(random));
            else
                tracks.removeAt(random.bounded(int(tracks.size())));
            ++tracksRevision;
            break;
        case 5:
            playlists.first().trackIDs.append(tracks.at(random.bounded(int(tracks.size()))).id);
            ++playlistsRevision;
            break;
        case 6:
            break; // a read with nothing changed
        }
        const VisibleTrackList visible =
            browser.visibleTracks(tracks, tracksRevision, playlists, playlistsRevision, state);
        ASSERT_EQ(visible.ids(), freshlyComputed(tracks, playlists, state)) << "step " << step;
    }
}

TEST(LibraryBrowserTest, AFolderClaimsOnlyWhatLiesBelowIt)
{
    const QByteArray prefix = LibraryBrowser::folderPrefix(FileLocation::fromPath("/Music//Rock/"));
    const auto inside = [&](const QByteArray &path) {
        Track track;
        track.url = FileLocation::fromPath(path);
        return LibraryBrowser::belongs(track, prefix);
    };
    EXPECT_TRUE(inside("/Music/Rock/a.mp3"));
    EXPECT_TRUE(inside("/Music/Rock/Live/1999/a.mp3"));
    EXPECT_TRUE(inside("/Music/./Rock/a.mp3"));
    EXPECT_FALSE(inside("/Music/Rockabilly/a.mp3"));
    EXPECT_FALSE(inside("/Music/Rock"));
    EXPECT_FALSE(inside("/Music/a.mp3"));
}
