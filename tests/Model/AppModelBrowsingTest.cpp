#include "ModelFixture.h"

#include <QSignalSpy>

namespace {

QStringList titles(const VisibleTrackList &visible)
{
    QStringList shown;
    for (const Track &track : visible)
        shown.append(track.title);
    return shown;
}

// Tracks under /Music/Rock (one in a sub-folder), one under /Music/Rockabilly, and a playlist
// that repeats one track and names one that left the library.
class AppModelBrowsingTest : public ModelFixture
{
protected:
    void SetUp() override
    {
        cherry = makeTrack("Cherry", "/Music/Rock/Cherry.mp3", 30);
        apple = makeTrack("Apple", "/Music/Rock/Live/Apple.mp3", 10);
        banana = makeTrack("Banana", "/Music/Rockabilly/Banana.mp3", 20);
        date = makeTrack("Date", "/Music/Date.mp3", 40);
        mix = {QUuid::createUuid(), QStringLiteral("Mix"), {date.id, QUuid::createUuid(), cherry.id, date.id, banana.id}};
        seed({cherry, apple, banana, date}, {rock}, {mix});
        build();
    }

    const FileLocation rock = FileLocation::fromPath("/Music/Rock");
    Track cherry, apple, banana, date;
    Playlist mix;
};

} // namespace

TEST_F(AppModelBrowsingTest, EachSelectionShowsItsTracks)
{
    struct Case
    {
        LibrarySelection selection;
        QString search;
        QStringList shown;
    };
    const QList<Case> cases{
        {LibrarySelection::allMusic(), {}, {"Apple", "Banana", "Cherry", "Date"}},
        {LibrarySelection::allMusic(), QStringLiteral(" AN "), {"Banana"}},
        {LibrarySelection::recentlyAdded(), {}, {"Date", "Cherry", "Banana", "Apple"}},
        // Recently added left its sort behind: newest first.
        {LibrarySelection::folder(rock), {}, {"Cherry", "Apple"}},
        {LibrarySelection::folder(FileLocation::fromPath("/Music/Rock/")), QStringLiteral("che"), {"Cherry"}},
        {LibrarySelection::playlist(mix.id), {}, {"Date", "Cherry", "Date", "Banana"}},
        {LibrarySelection::playlist(mix.id), QStringLiteral("a"), {"Date", "Date", "Banana"}},
        {LibrarySelection::playlist(QUuid::createUuid()), QStringLiteral("a"), {}},
    };
    for (const Case &shown : cases) {
        model->select(shown.selection);
        model->setSearchText(shown.search);
        EXPECT_EQ(titles(model->visibleTracks()), shown.shown) << shown.search.toStdString();
    }
}

TEST_F(AppModelBrowsingTest, SortingFollowsTheHeaders)
{
    model->toggleSort(TrackSort::Title);
    EXPECT_FALSE(model->sortAscending());
    EXPECT_EQ(titles(model->visibleTracks()), (QStringList{"Date", "Cherry", "Banana", "Apple"}));

    // Date added starts newest first: its second click is ascending.
    model->toggleSort(TrackSort::DateAdded);
    model->toggleSort(TrackSort::DateAdded);
    EXPECT_TRUE(model->sortAscending());
    EXPECT_EQ(titles(model->visibleTracks()), (QStringList{"Apple", "Banana", "Cherry", "Date"}));

    // A playlist opens in its own order; a header click sorts it until it is selected again.
    model->select(LibrarySelection::playlist(mix.id));
    EXPECT_FALSE(model->sortsColumns());
    EXPECT_TRUE(model->canReorderPlaylist());
    model->toggleSort(TrackSort::Title);
    EXPECT_TRUE(model->playlistSorting());
    EXPECT_FALSE(model->canReorderPlaylist());
    EXPECT_EQ(titles(model->visibleTracks()), (QStringList{"Banana", "Cherry", "Date", "Date"}));
    model->select(LibrarySelection::playlist(mix.id));
    EXPECT_EQ(titles(model->visibleTracks()), (QStringList{"Date", "Cherry", "Date", "Banana"}));

    model->setSearchText(QStringLiteral("   "));
    EXPECT_TRUE(model->canReorderPlaylist());
    model->setSearchText(QStringLiteral("x"));
    EXPECT_FALSE(model->canReorderPlaylist());
}

TEST_F(AppModelBrowsingTest, ClicksSelectRowsFromTheAnchor)
{
    // Shown by title: Apple, Banana, Cherry, Date.
    model->handleTrackClick(cherry.id, Qt::ShiftModifier); // no anchor yet: a plain click
    EXPECT_EQ(model->selectedTrackIDs().ids(), QSet<QUuid>{cherry.id});
    EXPECT_EQ(model->currentTrack(), cherry);

    model->handleTrackClick(apple.id, Qt::ShiftModifier | Qt::AltModifier);
    EXPECT_EQ(model->selectedTrackIDs().ids(), (QSet<QUuid>{apple.id, banana.id, cherry.id}));
    model->handleTrackClick(date.id, Qt::ShiftModifier);
    EXPECT_EQ(model->selectedTrackIDs().ids(), (QSet<QUuid>{cherry.id, date.id}));
    EXPECT_EQ(model->currentTrack(), cherry);

    model->handleTrackClick(date.id, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(model->selectedTrackIDs().ids(), QSet<QUuid>{cherry.id});
    model->handleTrackClick(banana.id, Qt::ShiftModifier); // from the new anchor, Date
    EXPECT_EQ(model->selectedTrackIDs().ids(), (QSet<QUuid>{banana.id, cherry.id, date.id}));

    model->handleTrackClick(apple.id, Qt::NoModifier);
    EXPECT_EQ(model->selectedTrackIDs().ids(), QSet<QUuid>{apple.id});
    EXPECT_EQ(model->currentTrack(), apple);
    EXPECT_EQ(model->queue().trackIDs(), (QList<QUuid>{apple.id, banana.id, cherry.id, date.id}));
}

TEST_F(AppModelBrowsingTest, SelectingClearsRowsAndLeavesTheLyricsPage)
{
    model->handleTrackClick(banana.id, Qt::NoModifier);
    model->handleTrackClick(date.id, Qt::ControlModifier);
    QSignalSpy selections(model.get(), &AppModel::selectionChanged);

    model->select(LibrarySelection::allMusic());

    EXPECT_EQ(selections.size(), 1); // announced although equal
    EXPECT_TRUE(model->selectedTrackIDs().isEmpty());
    model->handleTrackClick(cherry.id, Qt::ShiftModifier); // the anchor went with the selection
    EXPECT_EQ(model->selectedTrackIDs().ids(), QSet<QUuid>{cherry.id});
}

TEST_F(AppModelBrowsingTest, SidebarCountsFollowTheLibrary)
{
    EXPECT_EQ(model->trackCount(rock), 2);
    EXPECT_EQ(model->trackCount(FileLocation::fromPath("/Music")), 4);
    EXPECT_EQ(model->trackCount(FileLocation::fromPath("/Elsewhere")), 0);
    EXPECT_EQ(model->resolvableTrackCount(mix), 4);
}
