#include "ModelFixture.h"

#include "FaultInjectingFileOperations.h"

#include <QSignalSpy>

namespace {

class AppModelPlaylistsTest : public ModelFixture
{
protected:
    void SetUp() override
    {
        for (const char *title : {"A", "B", "C", "D"})
            tracks.append(makeTrack(QString::fromUtf8(title)));
        shown = {QUuid::createUuid(), QStringLiteral("%@ 与 %1"), ids({0, 1, 2, 3})};
        other = {QUuid::createUuid(), QStringLiteral("Other"), {}};
        seed(tracks, {}, {shown, other});
    }

    QList<QUuid> ids(std::initializer_list<int> positions) const
    {
        QList<QUuid> picked;
        for (int position : positions)
            picked.append(tracks.at(position).id);
        return picked;
    }

    Playlist stored(const QUuid &id) const
    {
        return *std::ranges::find(model->playlists().playlists(), id, &Playlist::id);
    }

    QList<Track> tracks;
    Playlist shown, other;
};

} // namespace

TEST_F(AppModelPlaylistsTest, CreatingWithAnEmptyNameUsesTheDefaultAndSelectsItRenamingToBlankKeepsTheName)
{
    build();
    environment.prompts->textAnswers = {QString(), QStringLiteral("   "), QStringLiteral(" New ")};

    model->promptCreatePlaylist();
    const Playlist created = model->playlists().playlists().last();
    EXPECT_EQ(created.name, QStringLiteral("新建播放列表"));
    EXPECT_EQ(model->selection(), LibrarySelection::playlist(created.id));

    model->promptRenamePlaylist(other.id);
    EXPECT_EQ(stored(other.id).name, QStringLiteral("Other"));
    model->promptRenamePlaylist(other.id);
    EXPECT_EQ(stored(other.id).name, QStringLiteral("New"));
    EXPECT_EQ(environment.prompts->shown.mid(0, 2), (QStringList{QStringLiteral("新建播放列表 | 输入播放列表名称。 | "),
                                                              QStringLiteral("重命名播放列表 | 输入新的名称。 | Other")}));
}

TEST_F(AppModelPlaylistsTest, CancellingAPromptChangesNothing)
{
    build();
    QSignalSpy changes(model.get(), &AppModel::changed);

    model->promptCreatePlaylist();
    model->promptRenamePlaylist(shown.id);
    model->confirmDeletePlaylist(shown.id);

    EXPECT_EQ(model->playlists().playlists(), (QList<Playlist>{shown, other}));
    EXPECT_TRUE(changes.isEmpty());
}

TEST_F(AppModelPlaylistsTest, DeletingAfterConfirmationLeavesTheShownPlaylist)
{
    build();
    model->select(LibrarySelection::playlist(shown.id));
    environment.prompts->confirmAnswers = {true, true};

    model->confirmDeletePlaylist(other.id);
    EXPECT_EQ(model->selection(), LibrarySelection::playlist(shown.id));
    model->confirmDeletePlaylist(shown.id);

    EXPECT_EQ(model->selection(), LibrarySelection::allMusic());
    EXPECT_TRUE(model->playlists().playlists().isEmpty());
    EXPECT_EQ(environment.prompts->shown.last(),
              QStringLiteral("删除播放列表「%@ 与 %1」？ | 只会删除播放列表，歌曲文件不受影响。 | 删除"));
    EXPECT_EQ(model->tracks().size(), 4);
}

TEST_F(AppModelPlaylistsTest, AddingAppendsWhatIsNewAndSaysWhereAndRemovingTakesTheGivenTracksOut)
{
    build();

    model->addToPlaylist(other.id, ids({2}));
    model->addToPlaylist(other.id, ids({0, 2, 1, 0}));

    EXPECT_EQ(stored(other.id).trackIDs, ids({2, 0, 1}));
    EXPECT_EQ(model->statusMessage(), QStringLiteral("已添加到「Other」"));
    model->addToPlaylist(shown.id, ids({0}));
    EXPECT_EQ(model->statusMessage(), QStringLiteral("已添加到「%@ 与 %1」"));

    model->removeFromPlaylist(other.id, ids({0, 2}));
    EXPECT_EQ(stored(other.id).trackIDs, ids({1}));
}

TEST_F(AppModelPlaylistsTest, DraggingARowMovesItToTheTarget)
{
    build();
    model->select(LibrarySelection::playlist(shown.id));

    model->moveTrack(tracks[0].id, tracks[2].id);
    EXPECT_EQ(stored(shown.id).trackIDs, ids({1, 2, 0, 3}));
    model->moveTrack(tracks[3].id, tracks[1].id);
    EXPECT_EQ(stored(shown.id).trackIDs, ids({3, 1, 2, 0}));

    model->select(LibrarySelection::allMusic());
    model->moveTrack(tracks[0].id, tracks[1].id);
    EXPECT_EQ(stored(shown.id).trackIDs, ids({3, 1, 2, 0}));
}

TEST_F(AppModelPlaylistsTest, ASavedPlaylistSurvivesAndAFailedSaveIsReported)
{
    FaultInjectingFileOperations files;
    auto faulty = environment.make();
    faulty.files = &files;
    model = std::make_unique<AppModel>(directory, std::move(faulty));
    files.failOnce(FileOperations::Operation::WriteAtomically, ENOSPC, "playlists.json");

    model->addToPlaylist(other.id, ids({3}));

    ASSERT_TRUE(model->statusMessage());
    EXPECT_TRUE(model->statusMessage()->startsWith(QStringLiteral("保存失败：")));
    model->addToPlaylist(other.id, ids({1}));
    model.reset();
    const QList<Playlist> saved = IndexStore(directory).loadPlaylists();
    EXPECT_EQ(saved.last().trackIDs, ids({3, 1}));
}
