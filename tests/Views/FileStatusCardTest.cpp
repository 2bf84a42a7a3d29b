#include "SettingsSheetFixture.h"

#include "Views/FileStatusCard.h"
#include "Views/SettingsCard.h"

#include <QFile>
#include <QPushButton>
#include <QTest>

namespace {

class FileStatusCardTest : public SettingsSheetFixture
{
protected:
    FileStatusCard &card() { return *sheet()->fileStatusCard(); }
    MissingTrackList &list() { return *card().missingList(); }

    void clickAction(int row, MissingTrackList::Action action)
    {
        const QRect button = list().actionRect(row, action);
        ASSERT_FALSE(button.isEmpty());
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, button.center());
        settle();
    }
};

TEST_F(FileStatusCardTest, ListsMissingTracksAndRemovesOne)
{
    seedMissingTracks(2);
    openSheet();
    ASSERT_FALSE(card().isHidden());
    ASSERT_EQ(list().tracks().size(), 2);
    const Track first = list().tracks().first();
    EXPECT_EQ(list().model()->index(0, 0).data().toString(), first.title + QStringLiteral(" — ") + first.url.fileNameText());
    EXPECT_EQ(list().model()->index(0, 0).data(Qt::ToolTipRole).toString(), first.url.displayPath());

    // The files are not there, so there is nothing to show in the file manager.
    ASSERT_TRUE(waitFor([&] { return !list().actionRect(0, MissingTrackList::Action::relocate).isEmpty(); }));
    EXPECT_TRUE(list().actionRect(0, MissingTrackList::Action::reveal).isEmpty());

    clickAction(0, MissingTrackList::Action::remove);
    EXPECT_EQ(card().notice(), Lf("已从音乐库移除《%@》，文件仍保留在磁盘上。", first.title));
    ASSERT_EQ(list().tracks().size(), 1);

    card().removeAllButton()->click();
    settle();
    EXPECT_TRUE(model->library().missingTracks().isEmpty());
    // The card stays for its notice after the last missing track has gone.
    EXPECT_EQ(card().notice(), L("已移除缺失文件条目。"));
    EXPECT_FALSE(card().isHidden());
}

TEST_F(FileStatusCardTest, RelocatesThroughTheChooserAndOffersTheFileManagerOnceTheFileIsBack)
{
    seedMissingTracks(2);
    openSheet();
    const Track track = list().tracks().first();
    ASSERT_TRUE(waitFor([&] { return !list().actionRect(0, MissingTrackList::Action::relocate).isEmpty(); }));

    // Cancelled: nothing changes.
    clickAction(0, MissingTrackList::Action::relocate);
    EXPECT_EQ(card().notice(), std::nullopt);
    EXPECT_EQ(environment.prompts->shown.last(), Lf("选择《%@》的新位置", track.title) + QStringLiteral(" | "));

    const QString moved = home.musicPath() + QStringLiteral("/新位置.mp3");
    ASSERT_TRUE(QFile(moved).open(QIODevice::WriteOnly));
    environment.prompts->fileAnswers = {FileLocation::fromLocalFile(moved)};
    clickAction(0, MissingTrackList::Action::relocate);
    EXPECT_EQ(card().notice(), Lf("已重新定位《%@》：%@", track.title, QStringLiteral("新位置.mp3")));
    ASSERT_EQ(list().tracks().size(), 1);

    // The presence is found out again whenever the list is rebuilt.
    const Track other = list().tracks().first();
    ASSERT_TRUE(QFile(other.url.displayPath()).open(QIODevice::WriteOnly));
    list().setTracks(list().tracks());
    EXPECT_TRUE(waitFor([&] { return !list().actionRect(0, MissingTrackList::Action::reveal).isEmpty(); }));
}

class UnreadableFilesTest : public FileStatusCardTest, public ::testing::WithParamInterface<int>
{
};

TEST_P(UnreadableFilesTest, ListsThreeNamesThenCountsTheRest)
{
    const int count = GetParam();
    openSheet();
    EXPECT_TRUE(card().isHidden()) << "nothing to show yet";
    scanUnreadableFiles(count);
    ASSERT_FALSE(card().isHidden());
    QStringList expected;
    for (int i = 1; i <= std::min(count, 3); ++i)
        expected.append(QStringLiteral("broken %1.m4a").arg(i));
    if (count > 3)
        expected.append(Lf("另有 %d 个…", count - 3));
    EXPECT_EQ(card().unreadableLines(), expected);
}

INSTANTIATE_TEST_SUITE_P(Counts, UnreadableFilesTest, ::testing::Values(1, 3, 4, 6));

} // namespace
