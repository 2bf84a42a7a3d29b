#include "SeededTracks.h"

#include "GuiSupport/GuiFixture.h"
#include "GuiSupport/Screenshots.h"
#include "UI/DragPayloads.h"
#include "Views/FolderRow.h"
#include "Views/MainWindow.h"
#include "Views/MainWindowContent.h"
#include "Views/PlayPauseButton.h"
#include "Views/PlayerBarView.h"
#include "Views/PlayerProgressLine.h"
#include "Views/SidebarEmptyRow.h"
#include "Views/SidebarIconButton.h"
#include "Views/SidebarRow.h"
#include "Views/SidebarSectionHeader.h"
#include "Views/SidebarView.h"
#include "Views/VolumeButton.h"
#include "Views/VolumePopover.h"

#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTimer>

namespace {

const QUuid nightPlaylist(QStringLiteral("9B2D4E6F-3A1C-4E8B-8F20-5C7D9A0B1C01"));
const QUuid emptyPlaylist(QStringLiteral("9B2D4E6F-3A1C-4E8B-8F20-5C7D9A0B1C02"));
const QUuid soWhat(QStringLiteral("6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A04"));
const QUuid sunny(QStringLiteral("6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A01"));
const QUuid eastWind(QStringLiteral("6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A02"));
const QUuid takeFive(QStringLiteral("6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A05"));

class SidebarViewTest : public GuiFixture
{
protected:
    SidebarView &open()
    {
        if (!model)
            buildModel();
        sidebar = std::make_unique<SidebarView>(*model);
        theme.addRoot(sidebar.get());
        sidebar->resize(SidebarView::sidebarWidth, 560);
        sidebar->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(sidebar.get()));
        return *sidebar;
    }

    SidebarRow *playlistRow(const QUuid &id) const
    {
        const auto &playlists = model->playlists().playlists();
        for (qsizetype i = 0; i < playlists.size(); ++i) {
            if (playlists[i].id == id)
                return sidebar->playlistRows().value(i);
        }
        return nullptr;
    }

    QList<QUuid> playlistTracks(const QUuid &id) const
    {
        for (const Playlist &playlist : model->playlists().playlists()) {
            if (playlist.id == id)
                return playlist.trackIDs;
        }
        return {};
    }

    // Drags a text payload onto a row; true when the row accepted the drop.
    static bool enter(SidebarRow *row, const QMimeData &data)
    {
        QDragEnterEvent event(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(row, &event);
        return event.isAccepted();
    }
    static void leave(SidebarRow *row)
    {
        QDragLeaveEvent event;
        QApplication::sendEvent(row, &event);
    }
    static bool drop(SidebarRow *row, const QMimeData &data)
    {
        QDropEvent event(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(row, &event);
        return event.isAccepted();
    }

    static void trigger(QMenu *menu, const QString &text)
    {
        for (QAction *action : menu->actions()) {
            if (action->text() == text)
                action->trigger();
        }
        delete menu;
    }

    ~SidebarViewTest() override { sidebar.reset(); }

    std::unique_ptr<SidebarView> sidebar;
};

TEST(SidebarRowDrops, TrackIdentifiersOnePerLineInOrder)
{
    const QString text = QStringLiteral("6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A04\r\nnot a track\n"
                                        "{6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A05}\n6f1c3b8a-1d2e-4c4b-9a51-0f2b7e8c1a01\n");
    EXPECT_EQ(SidebarRow::trackIDs(text), (QList<QUuid>{soWhat, sunny}));
    EXPECT_TRUE(SidebarRow::trackIDs(QStringLiteral("hello")).isEmpty());
}

TEST_F(SidebarViewTest, RowsShowTheCountsTheSelectionAndHoverButtons)
{
    open();
    EXPECT_EQ(sidebar->allMusicRow()->count(), 5);
    EXPECT_EQ(sidebar->recentlyAddedRow()->count(), 5);
    ASSERT_EQ(sidebar->folderRows().size(), 2);
    EXPECT_EQ(sidebar->folderRows()[0]->title(), QStringLiteral("华语"));
    EXPECT_EQ(sidebar->folderRows()[0]->count(), 3);
    EXPECT_EQ(sidebar->folderRows()[0]->toolTip(), home.musicPath() + QStringLiteral("/华语"));
    EXPECT_EQ(sidebar->folderRows()[1]->count(), 2);
    ASSERT_EQ(sidebar->playlistRows().size(), 2);
    // The user's name as typed, "&" included.
    EXPECT_EQ(playlistRow(nightPlaylist)->title(), QStringLiteral("夜晚 & 雨"));
    EXPECT_EQ(playlistRow(nightPlaylist)->count(), 2);
    EXPECT_EQ(playlistRow(emptyPlaylist)->count(), 0);
    EXPECT_FALSE(sidebar->findChild<SidebarEmptyRow *>());

    // The selected row alone has the accent style.
    EXPECT_TRUE(sidebar->allMusicRow()->isSelected());
    QTest::mouseClick(sidebar->folderRows()[1], Qt::LeftButton);
    ASSERT_EQ(model->selection(), LibrarySelection::folder(model->library().index().folders[1]));
    SidebarRow *selected = sidebar->folderRows()[1];
    EXPECT_TRUE(selected->isSelected());
    EXPECT_EQ(selected->fillColour().rgb(), ThemeEnvironment::theme(sidebar.get()).accent.rgb());
    EXPECT_GT(selected->fillColour().alpha(), 0);
    EXPECT_EQ(selected->titleColour(), ThemeEnvironment::theme(sidebar.get()).accentLight);
    EXPECT_EQ(selected->titleFont().weight(), QFont::DemiBold);
    for (SidebarRow *other : {sidebar->allMusicRow(), sidebar->recentlyAddedRow(),
             static_cast<SidebarRow *>(sidebar->folderRows()[0]), playlistRow(nightPlaylist)}) {
        EXPECT_FALSE(other->isSelected());
        EXPECT_EQ(other->fillColour().alpha(), 0);
        EXPECT_EQ(other->titleFont().weight(), QFont::Normal);
    }
    QTest::mouseClick(playlistRow(emptyPlaylist), Qt::LeftButton);
    EXPECT_EQ(model->selection(), LibrarySelection::playlist(emptyPlaylist));
    EXPECT_TRUE(playlistRow(emptyPlaylist)->isSelected());
    EXPECT_FALSE(sidebar->folderRows()[1]->isSelected());
    QTest::mouseClick(sidebar->recentlyAddedRow(), Qt::LeftButton);
    EXPECT_EQ(model->selection(), LibrarySelection::recentlyAdded());

    // Hovering a folder row swaps its count for its buttons.
    FolderRow *row = sidebar->folderRows()[0];
    EXPECT_FALSE(row->refreshButton()->isVisible());
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), row->mapToGlobal(QPointF(5, 5)));
    QApplication::sendEvent(row, &enter);
    EXPECT_TRUE(row->refreshButton()->isVisible());
    EXPECT_TRUE(row->removeButton()->isVisible());
    EXPECT_EQ(row->removeButton()->toolTip(), QStringLiteral("移除文件夹（不删除文件）"));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(row, &leave);
    EXPECT_FALSE(row->refreshButton()->isVisible());
}

TEST_F(SidebarViewTest, DroppedTracksAreAddedInOrderAndTheHighlightFollowsTheDrag)
{
    open();
    SidebarRow *night = playlistRow(nightPlaylist);
    SidebarRow *target = playlistRow(emptyPlaylist);
    QMimeData data;
    data.setData(QString::fromLatin1(DragPayloads::utf8TextType),
        QStringLiteral("6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A05\n6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A02").toUtf8());
    ASSERT_TRUE(enter(night, data));
    EXPECT_EQ(sidebar->dropTargetID(), nightPlaylist);
    EXPECT_TRUE(night->isDropTarget());
    leave(night);
    EXPECT_TRUE(enter(target, data));
    EXPECT_EQ(sidebar->dropTargetID(), emptyPlaylist);
    EXPECT_TRUE(target->isDropTarget());
    EXPECT_FALSE(night->isDropTarget());
    EXPECT_TRUE(drop(target, data));
    EXPECT_EQ(playlistTracks(emptyPlaylist), (QList<QUuid>{takeFive, eastWind}));
    EXPECT_FALSE(sidebar->dropTargetID());
    settle();
    EXPECT_EQ(playlistRow(emptyPlaylist)->count(), 2);
    EXPECT_FALSE(playlistRow(emptyPlaylist)->isDropTarget());

    // Text that names no track adds nothing; library rows take no drops at all.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    night = playlistRow(nightPlaylist);
    ASSERT_TRUE(enter(night, text));
    EXPECT_TRUE(night->isDropTarget());
    EXPECT_FALSE(drop(night, text));
    EXPECT_EQ(playlistTracks(nightPlaylist), (QList<QUuid>{soWhat, sunny}));
    EXPECT_FALSE(sidebar->dropTargetID());
    EXPECT_FALSE(night->isDropTarget());
    EXPECT_FALSE(enter(sidebar->allMusicRow(), text));
}

TEST_F(SidebarViewTest, PlaylistsAreCreatedRenamedAndDeletedFromTheSidebar)
{
    open();
    environment.prompts->textAnswers = {QStringLiteral("周末"), QStringLiteral("周末 & 旅行")};
    QTest::mouseClick(sidebar->playlistsHeader()->plusButton(), Qt::LeftButton);
    settle();
    ASSERT_EQ(sidebar->playlistRows().size(), 3);
    const QUuid created = model->playlists().playlists().constLast().id;
    EXPECT_EQ(playlistRow(created)->title(), QStringLiteral("周末"));
    EXPECT_TRUE(playlistRow(created)->isSelected());

    trigger(sidebar->playlistMenu(created), QStringLiteral("重命名"));
    settle();
    EXPECT_EQ(playlistRow(created)->title(), QStringLiteral("周末 & 旅行"));

    environment.prompts->confirmAnswers = {false, true};
    trigger(sidebar->playlistMenu(created), QStringLiteral("删除"));
    settle();
    EXPECT_EQ(sidebar->playlistRows().size(), 3);
    trigger(sidebar->playlistMenu(created), QStringLiteral("删除"));
    settle();
    EXPECT_EQ(sidebar->playlistRows().size(), 2);
    EXPECT_FALSE(playlistRow(created));
    EXPECT_EQ(environment.prompts->shown.size(), 4);
}

TEST_F(SidebarViewTest, EmptySectionsShowTheirNotes)
{
    home.writeDataFile(QStringLiteral("library.json"), R"({"folders": [], "tracks": []})");
    home.writeDataFile(QStringLiteral("playlists.json"), "[]");
    open();
    EXPECT_EQ(sidebar->allMusicRow()->count(), 0);
    EXPECT_EQ(sidebar->recentlyAddedRow()->count(), 0);
    QStringList notes;
    for (SidebarEmptyRow *row : sidebar->findChildren<SidebarEmptyRow *>())
        notes.append(row->message());
    EXPECT_EQ(notes, (QStringList{QStringLiteral("尚未导入文件夹"), QStringLiteral("暂无播放列表")}));
    EXPECT_TRUE(sidebar->playlistRows().isEmpty());
}

TEST_F(SidebarViewTest, FolderChangesWaitWhileTheLibraryScans)
{
    open();
    SidebarIconButton *importButton = sidebar->foldersHeader()->plusButton();
    int checks = 0;
    // Looked at the moment the scan starts: the background scan may end within a moment.
    QObject::connect(model.get(), &AppModel::isScanningChanged, sidebar.get(), [&](bool scanning) {
        if (!scanning)
            return;
        ++checks;
        EXPECT_FALSE(importButton->isEnabled());
        EXPECT_NEAR(importButton->drawnOpacity(), 0.62 * 0.45, 1e-9);
        EXPECT_FALSE(sidebar->folderRows()[0]->removeButton()->isEnabled());
        EXPECT_TRUE(sidebar->folderRows()[0]->refreshButton()->isEnabled());
        std::unique_ptr<QMenu> menu(sidebar->folderMenu(model->library().index().folders[0]));
        EXPECT_FALSE(menu->actions().constFirst()->isEnabled());
        EXPECT_TRUE(sidebar->playlistsHeader()->plusButton()->isEnabled());
    });
    model->start();
    for (int wait = 0; wait < 100 && (checks == 0 || model->isScanning()); ++wait)
        settle(20);
    ASSERT_EQ(checks, 1);
    ASSERT_FALSE(model->isScanning());
    EXPECT_TRUE(importButton->isEnabled());
    EXPECT_EQ(importButton->drawnOpacity(), 0.62);
    EXPECT_TRUE(sidebar->folderRows()[0]->removeButton()->isEnabled());
}

// Answers the next modal dialog once it is showing: its text field gets `text` (when given),
// then the button with `buttonText` is clicked.
void answerNextDialog(const QString &buttonText, const std::optional<QString> &text = std::nullopt)
{
    QTimer::singleShot(0, [buttonText, text] {
        QWidget *dialog = QApplication::activeModalWidget();
        ASSERT_TRUE(dialog);
        if (text)
            dialog->findChild<QLineEdit *>()->setText(*text);
        for (QAbstractButton *button : dialog->findChildren<QAbstractButton *>()) {
            if (button->text() == buttonText)
                return button->click();
        }
        ADD_FAILURE() << "no button " << buttonText.toStdString();
    });
}

TEST_F(SidebarViewTest, FoldersAreRemovedAndRenamedAfterAskingInADialog)
{
    open();
    FolderRow *jazz = sidebar->folderRows()[1];
    answerNextDialog(QStringLiteral("取消"));
    QTest::mouseClick(jazz->removeButton(), Qt::LeftButton);
    EXPECT_EQ(model->library().index().folders.size(), 2);

    answerNextDialog(QStringLiteral("重命名"), QStringLiteral("爵士"));
    std::unique_ptr<QMenu>(sidebar->folderMenu(model->library().index().folders[1]))->actions().constFirst()->trigger();
    settle();
    ASSERT_EQ(sidebar->folderRows().size(), 2);
    EXPECT_EQ(sidebar->folderRows()[1]->title(), QStringLiteral("爵士"));
    EXPECT_EQ(sidebar->folderRows()[1]->count(), 2);

    answerNextDialog(QStringLiteral("移除"));
    QTest::mouseClick(sidebar->folderRows()[1]->removeButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(model->library().index().folders.size(), 1);
    EXPECT_EQ(sidebar->folderRows().size(), 1);
    EXPECT_EQ(sidebar->allMusicRow()->count(), 3);
}

class SidebarPlayerLookTest : public GuiFixture, public ::testing::WithParamInterface<bool>
{
protected:
    ~SidebarPlayerLookTest() override { window.reset(); }

    std::unique_ptr<MainWindow> window;
};

void hover(QWidget *widget)
{
    QEnterEvent enter(QPointF(4, 4), QPointF(4, 4), widget->mapToGlobal(QPointF(4, 4)));
    QApplication::sendEvent(widget, &enter);
}

// The window with a folder shown and hovered, a track dragged over a playlist, the restored
// track playing with its cover and spectrum, and the pointer over the progress line.
TEST_P(SidebarPlayerLookTest, SidebarAndPlayerBarInTheWindow)
{
    colorScheme.setDark(GetParam());
    SeededTracks::setFirstTrackCover(home);
    SeededTracks::createAudioFiles(home);
    seedSettings([](AppSettings &settings) { settings.showMainSpectrum = true; });
    buildModel();
    window = std::make_unique<MainWindow>(*model, theme);
    window->resize(1100, 700);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));

    auto *sidebar = qobject_cast<SidebarView *>(window->content()->sidebar());
    auto *bar = qobject_cast<PlayerBarView *>(window->content()->playerBar());
    ASSERT_TRUE(sidebar && bar);
    EXPECT_EQ(sidebar->width(), SidebarView::sidebarWidth);
    // The bar's own 84 pixels lie flush with the window's bottom edge.
    EXPECT_EQ(bar->mapTo(window->content(), bar->barRect().bottomLeft()).y(), window->content()->height() - 1);

    model->select(LibrarySelection::folder(model->library().index().folders[0]));
    settle();
    hover(sidebar->folderRows()[1]);
    QMimeData track;
    track.setText(QStringLiteral("6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A04"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &track, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(sidebar->playlistRows()[1], &enter);

    QTest::mouseClick(bar->playPauseButton(), Qt::LeftButton);
    environment.engine->setPosition(63);
    environment.engine->setSpectrum(QList<float>{0.2f, 0.5f, 0.8f, 0.6f, 0.4f, 0.7f, 0.3f, 0.5f, 0.9f, 0.6f, 0.4f,
        0.3f, 0.5f, 0.2f, 0.4f, 0.6f, 0.3f, 0.2f, 0.4f, 0.3f, 0.2f, 0.1f, 0.2f, 0.1f});
    hover(bar->nextButton());
    hover(bar->progressLine());
    QTest::qWait(400);

    const QString look = GetParam() ? QStringLiteral("dark") : QStringLiteral("light");
    Screenshots::save(*window, QStringLiteral("sidebar-player-window-") + look);

    QTest::mouseClick(bar->volumeButton(), Qt::LeftButton);
    ASSERT_TRUE(bar->volumeButton()->popover()->isVisible());
    Screenshots::save(*bar->volumeButton()->popover(), QStringLiteral("volume-popover-") + look);
}

INSTANTIATE_TEST_SUITE_P(Appearance, SidebarPlayerLookTest, ::testing::Bool(),
    [](const auto &info) { return info.param ? "Dark" : "Light"; });

} // namespace
