#include "TrackListLibrary.h"

#include "GuiSupport/GuiFixture.h"
#include "GuiSupport/Screenshots.h"
#include "Views/ArtworkThumbnailCache.h"
#include "Views/MainWindow.h"
#include "Views/MainWindowContent.h"
#include "Views/TrackContextMenu.h"
#include "Views/TrackListView.h"

#include <QTest>

namespace {

struct Look
{
    const char *name;
    const char *rowStyle;
    bool dark;
};

class TrackListScreenshotTest : public GuiFixture, public ::testing::WithParamInterface<Look>
{
};

// The main window over a library of 40 tracks: the third row playing, a selection of three, a
// missing file, a status message; covers for two tracks in three.
TEST_P(TrackListScreenshotTest, MainWindowWithTheTrackList)
{
    const Look look = GetParam();
    QList<Track> tracks = TrackListLibrary::makeTracks(home.musicPath() + u"/收藏"_qs, 40, 6);
    TrackListLibrary::createFiles(tracks);
    tracks[5].isMissing = true;
    tracks[5].title = u"Autumn Leaves（现场）一首文件已经不在原来位置的歌曲，名字也很长很长很长很长很长很长"_qs;
    TrackListLibrary::seed(home.dataFolder(), tracks, 6);
    seedSettings([&](AppSettings &settings) {
        settings.rowStyle = QString::fromLatin1(look.rowStyle);
        settings.themeMode = look.dark ? u"dark"_qs : u"light"_qs;
    });
    buildModel();
    MainWindow window(*model, theme);
    window.resize(1000, 680);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    model->handleTrackClick(model->visibleTracks().at(2).id, Qt::NoModifier);
    for (int row : {7, 8, 9})
        model->handleTrackClick(model->visibleTracks().at(row).id, Qt::ControlModifier);
    model->addToPlaylist(model->playlists().playlists().first().id, {tracks.at(7).id});
    auto *list = qobject_cast<TrackListView *>(window.content()->trackList());
    ASSERT_TRUE(list);
    settle(300);
    EXPECT_EQ(list->thumbnails()->pendingCount(), 0);
    Screenshots::save(window, QString::fromLatin1(look.name));

    // The row menu of the playing row, over the window.
    list->openContextMenu(model->visibleTracks().at(2).id, QRect(0, 0, 600, 36));
    ASSERT_TRUE(list->contextMenu());
    settle();
    Screenshots::save(*list->contextMenu(), QString::fromLatin1(look.name) + u"-menu"_qs);
    list->contextMenu()->close();
}

INSTANTIATE_TEST_SUITE_P(Looks, TrackListScreenshotTest,
                         ::testing::Values(Look{"track-list-index-light", "index", false},
                                           Look{"track-list-index-dark", "index", true},
                                           Look{"track-list-cover-light", "cover", false},
                                           Look{"track-list-cover-dark", "cover", true}),
                         [](const auto &info) { return std::string(info.param.rowStyle) + (info.param.dark ? "Dark" : "Light"); });

} // namespace
