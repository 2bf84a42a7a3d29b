#include "SeededTracks.h"
#include "TrackListLibrary.h"

#include "GuiSupport/GuiFixture.h"
#include "GuiSupport/Screenshots.h"
#include "Storage/JsonFields.h"
#include "UI/DragPayloads.h"
#include "Views/ArtworkThumbnailCache.h"
#include "Views/ClampedText.h"
#include "Views/EmptyStateView.h"
#include "Views/MainWindow.h"
#include "Views/MainWindowContent.h"
#include "Views/ProgressBanner.h"
#include "Views/SortBar.h"
#include "Views/SortButton.h"
#include "Views/StatusBanner.h"
#include "Views/SymbolButton.h"
#include "Views/TextButton.h"
#include "Views/TrackContextMenu.h"
#include "Views/TrackListHeader.h"
#include "Views/TrackListModel.h"
#include "Views/TrackListTexts.h"
#include "Views/TrackListView.h"
#include "Views/TrackRowsView.h"

#include <QApplication>
#include <QLayout>
#include <QMimeData>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

#include <cmath>
#include <limits>

namespace {

const QUuid sunny = *Json::parseUuid(u"6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A01"_qs);
const QUuid eastWind = *Json::parseUuid(u"6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A02"_qs);
const QUuid soWhat = *Json::parseUuid(u"6F1C3B8A-1D2E-4C4B-9A51-0F2B7E8C1A04"_qs);
const QUuid nightPlaylist = *Json::parseUuid(u"9B2D4E6F-3A1C-4E8B-8F20-5C7D9A0B1C01"_qs);
const QUuid emptyPlaylist = *Json::parseUuid(u"9B2D4E6F-3A1C-4E8B-8F20-5C7D9A0B1C02"_qs);

class TrackListViewTest : public GuiFixture
{
protected:
    TrackListView &open(QSize size = QSize(710, 470))
    {
        if (!model)
            buildModel();
        view = std::make_unique<TrackListView>(*model);
        theme.addRoot(view.get());
        view->resize(size);
        view->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        settle();
        return *view;
    }

    TrackRowsView *rows() const { return view->rows(); }
    int rowOf(const QUuid &id) const { return view->listModel()->rowOf(id); }
    QPoint centreOf(const QUuid &id) const
    {
        return rows()->visualRect(view->listModel()->index(rowOf(id))).center();
    }
    void click(const QUuid &id, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::mouseClick(rows()->viewport(), Qt::LeftButton, modifiers, centreOf(id));
    }
    QList<QUuid> visibleIDs() const { return model->visibleTracks().ids(); }
    ~TrackListViewTest() override { view.reset(); }

    std::unique_ptr<TrackListView> view;
};

VisibleTrackList listOfDurations(const QList<double> &durations)
{
    QList<Track> tracks;
    QList<qsizetype> rows;
    for (double duration : durations) {
        Track track;
        track.id = QUuid::createUuid();
        track.duration = duration;
        rows.append(tracks.size());
        tracks.append(track);
    }
    return VisibleTrackList(tracks, rows);
}

TEST(TrackListTexts, MetaLineAddsFiniteDurationsAndDropsSeconds)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    const struct
    {
        QList<double> durations;
        QString expected;
    } cases[] = {
        {{}, u"0 首 · 0 分钟"_qs},
        {{3599.9}, u"1 首 · 59 分钟"_qs},
        {{1800, 1800}, u"2 首 · 1 小时 0 分"_qs},
        {{7325}, u"1 首 · 2 小时 2 分"_qs},
        {{nan, 120}, u"2 首 · 2 分钟"_qs},
        {{infinity, -infinity, -50, 59}, u"4 首 · 0 分钟"_qs},
        {{1e300, 1e300}, u"2 首 · 2147483647 小时 0 分"_qs},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TrackListTexts::metaLine(listOfDurations(c.durations)), c.expected) << c.durations.size();
}

TEST(TrackListTexts, EmptyStateSituations)
{
    using enum TrackListTexts::EmptySituation;
    const LibrarySelection folder = LibrarySelection::folder(FileLocation::fromLocalFile(u"/music/jazz"_qs));
    const LibrarySelection playlist = LibrarySelection::playlist(QUuid::createUuid());
    const struct
    {
        QString search;
        LibrarySelection selection;
        bool libraryHasTracks;
        TrackListTexts::EmptySituation expected;
    } cases[] = {
        {u"jay"_qs, playlist, true, Searching},
        {u"jay"_qs, LibrarySelection::allMusic(), false, Searching},
        {u"   "_qs, playlist, true, EmptyPlaylist},
        {QString(), folder, true, EmptyFolder},
        {QString(), LibrarySelection::allMusic(), false, EmptyLibrary},
        {QString(), playlist, false, EmptyLibrary},
    };
    for (const auto &c : cases)
        EXPECT_EQ(TrackListTexts::emptySituation(c.search, c.selection, c.libraryHasTracks), c.expected) << c.search.toStdString();
}

TEST_F(TrackListViewTest, HeaderShowsTheSelectionItsCountAndTime)
{
    open();
    EXPECT_EQ(view->header()->title(), u"全部音乐"_qs);
    // 269.5 + 254 + 215.2 + 545.8 + 324.1 = 1608.6 s.
    EXPECT_EQ(view->header()->metaLine(), u"5 首 · 26 分钟"_qs);
    model->select(LibrarySelection::playlist(nightPlaylist));
    EXPECT_EQ(view->header()->title(), u"夜晚 & 雨"_qs);
    EXPECT_EQ(view->header()->metaLine(), u"2 首 · 13 分钟"_qs);
    model->deletePlaylist(nightPlaylist);
    model->select(LibrarySelection::playlist(nightPlaylist));
    EXPECT_EQ(view->header()->title(), u"播放列表"_qs);
}

TEST_F(TrackListViewTest, SortButtonsFollowTheModelIncludingPlaylistOrder)
{
    open();
    SortBar *bar = view->sortBar();
    EXPECT_TRUE(bar->button(TrackSort::Title)->isActive());
    EXPECT_EQ(bar->button(TrackSort::Album)->toolTip(), u"按专辑排序"_qs);

    QTest::mouseClick(bar->button(TrackSort::Title), Qt::LeftButton);
    EXPECT_TRUE(bar->button(TrackSort::Title)->isActive());
    EXPECT_FALSE(bar->button(TrackSort::Title)->isAscending());

    model->select(LibrarySelection::playlist(nightPlaylist));
    for (TrackSort column : {TrackSort::Title, TrackSort::Artist, TrackSort::Album, TrackSort::Duration, TrackSort::DateAdded})
        EXPECT_FALSE(bar->button(column)->isActive());
    EXPECT_EQ(visibleIDs(), (QList<QUuid>{soWhat, sunny}));

    QTest::mouseClick(bar->button(TrackSort::Artist), Qt::LeftButton);
    EXPECT_TRUE(bar->button(TrackSort::Artist)->isActive());
    EXPECT_TRUE(bar->button(TrackSort::Artist)->isAscending());
    EXPECT_TRUE(model->sortsColumns());

    QTest::mouseClick(bar->button(TrackSort::DateAdded), Qt::LeftButton);
    EXPECT_FALSE(bar->button(TrackSort::DateAdded)->isAscending());
}

TEST_F(TrackListViewTest, ClicksSelectToggleExtendAndPlayOnReleaseOverTheSameRow)
{
    open();
    SeededTracks::createAudioFiles(home);
    const QList<QUuid> order = visibleIDs();
    const int playsBefore = environment.engine->playCount();
    // A press on one row and a release on another neither plays nor selects.
    QTest::mousePress(rows()->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(order.at(0)));
    QTest::mouseRelease(rows()->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(order.at(2)));
    EXPECT_TRUE(model->selectedTrackIDs().isEmpty());

    click(order.at(1), Qt::ControlModifier);
    click(order.at(3), Qt::ControlModifier);
    EXPECT_EQ(model->selectedTrackIDs().ids(), (QSet<QUuid>{order.at(1), order.at(3)}));
    click(order.at(1), Qt::ControlModifier);
    EXPECT_EQ(model->selectedTrackIDs().ids(), QSet<QUuid>{order.at(3)});
    EXPECT_EQ(environment.engine->playCount(), playsBefore);

    // The toggled row is the anchor, also when it left the selection.
    click(order.at(3), Qt::ShiftModifier);
    EXPECT_EQ(model->selectedTrackIDs().ids(), (QSet<QUuid>{order.at(1), order.at(2), order.at(3)}));
    EXPECT_EQ(environment.engine->playCount(), playsBefore);

    // Pressing plays nothing yet; the release does.
    QTest::mousePress(rows()->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(eastWind));
    EXPECT_EQ(environment.engine->playCount(), playsBefore);
    QTest::mouseRelease(rows()->viewport(), Qt::LeftButton, Qt::NoModifier, centreOf(eastWind));
    EXPECT_EQ(model->selectedTrackIDs().ids(), QSet<QUuid>{eastWind});
    ASSERT_TRUE(model->currentTrack());
    EXPECT_EQ(model->currentTrack()->id, eastWind);
    EXPECT_EQ(environment.engine->playCount(), playsBefore + 1);
}

TEST_F(TrackListViewTest, RowUpdatesNameOnlyTheRowsThatChange)
{
    open();
    QSignalSpy changes(view->listModel(), &TrackListModel::dataChanged);
    QSignalSpy resets(view->listModel(), &TrackListModel::modelReset);
    const auto changedRows = [&changes] {
        QList<int> rows;
        for (const QList<QVariant> &change : std::as_const(changes)) {
            for (int row = change.at(0).toModelIndex().row(); row <= change.at(1).toModelIndex().row(); ++row)
                rows.append(row);
        }
        changes.clear();
        std::ranges::sort(rows);
        return rows;
    };

    click(soWhat, Qt::ControlModifier);
    EXPECT_EQ(changedRows(), QList<int>{rowOf(soWhat)});

    SeededTracks::createAudioFiles(home);
    click(eastWind);
    settle(); // the engine's playing state arrives in its own turn
    // Current track moved from the restored track; the selection moved from So What.
    QList<int> expected{rowOf(sunny), rowOf(eastWind), rowOf(soWhat)};
    std::ranges::sort(expected);
    QList<int> rowsSeen = changedRows();
    rowsSeen.erase(std::unique(rowsSeen.begin(), rowsSeen.end()), rowsSeen.end());
    EXPECT_EQ(rowsSeen, expected);

    environment.engine->pause();
    settle();
    EXPECT_EQ(changedRows(), QList<int>{rowOf(eastWind)});
    environment.engine->setPosition(12);
    settle();
    EXPECT_TRUE(changedRows().isEmpty());
    EXPECT_EQ(resets.size(), 0);

    model->setSearchText(u"周"_qs);
    EXPECT_EQ(resets.size(), 1);
    EXPECT_EQ(view->listModel()->rowCount(), 3);
}

TEST_F(TrackListViewTest, ReorderDropsOnlyIntoAnUnsortedPlaylistWithoutSearch)
{
    open();
    const auto drop = [this](const QUuid &dragged, const QUuid &target) {
        QMimeData *payload = DragPayloads::trackPayload(dragged);
        const QPoint at = centreOf(target);
        QDragEnterEvent enter(at, Qt::MoveAction, payload, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(rows()->viewport(), &enter);
        QDropEvent dropped(at, Qt::MoveAction, payload, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(rows()->viewport(), &dropped);
        delete payload;
        return enter.isAccepted() && dropped.isAccepted();
    };

    EXPECT_FALSE(drop(sunny, soWhat)) << "all music";
    model->select(LibrarySelection::playlist(nightPlaylist));
    EXPECT_TRUE(drop(sunny, soWhat));
    EXPECT_EQ(visibleIDs(), (QList<QUuid>{sunny, soWhat}));

    model->setSearchText(u"a"_qs);
    EXPECT_FALSE(drop(soWhat, sunny)) << "searching";
    model->setSearchText(QString());
    model->toggleSort(TrackSort::Title);
    EXPECT_FALSE(drop(soWhat, sunny)) << "sorted";
    model->select(LibrarySelection::playlist(nightPlaylist));
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(home.musicPath())});
    QDragEnterEvent enter(centreOf(soWhat), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(rows()->viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted()) << "files are for the window to import";
    EXPECT_EQ(model->playlists().playlists().first().trackIDs, (QList<QUuid>{sunny, soWhat}));
}

TEST_F(TrackListViewTest, ScrollTargetIsTakenOnceAndDroppedWhenFilteredOut)
{
    buildModel();
    model->setSearchText(u"Take"_qs);
    open();
    model->setListScrollTarget(sunny);
    EXPECT_FALSE(model->listScrollTarget()) << "consumed although the search hides it";

    // While the list is hidden the request waits for it to show.
    view->hide();
    model->setSearchText(QString());
    model->setListScrollTarget(sunny);
    EXPECT_EQ(model->listScrollTarget(), sunny);
    view->show();
    EXPECT_FALSE(model->listScrollTarget());
}

TEST_F(TrackListViewTest, ClosingTheLyricsPageBringsThePlayingRowToTheMiddle)
{
    const QList<Track> tracks = TrackListLibrary::makeTracks(home.musicPath() + u"/收藏"_qs, 200, 0);
    TrackListLibrary::createFiles(tracks);
    TrackListLibrary::seed(home.dataFolder(), tracks, 0);
    buildModel();
    MainWindow window(*model, theme);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    auto *list = qobject_cast<TrackListView *>(window.content()->trackList());
    ASSERT_TRUE(list);
    const QUuid playing = model->visibleTracks().at(150).id;
    model->play(playing);
    ASSERT_EQ(model->currentTrack()->id, playing);

    // From an empty playlist, where the playing track is not shown, through the lyrics page.
    model->select(LibrarySelection::playlist(emptyPlaylist));
    model->toggleLyricsPage();
    ASSERT_FALSE(list->isVisible());
    model->select(LibrarySelection::allMusic());
    EXPECT_TRUE(list->isVisible());
    EXPECT_FALSE(model->listScrollTarget());
    settle(500);
    const QRect row = list->rows()->visualRect(list->listModel()->index(list->listModel()->rowOf(playing)));
    const QRect viewport = list->rows()->viewport()->rect();
    EXPECT_TRUE(viewport.contains(row)) << row.y() << " in " << viewport.height();
    EXPECT_NEAR(row.center().y(), viewport.center().y(), row.height());
}

TEST_F(TrackListViewTest, TheMenuActsOnTheShownSelectionOrTheClickedRow)
{
    open();
    const QList<QUuid> order = visibleIDs();
    for (int row : {4, 0, 2})
        click(order.at(row), Qt::ControlModifier);
    const QSet<QUuid> selection = model->selectedTrackIDs().ids();
    const auto rightClick = [this](const QUuid &id) {
        if (view->contextMenu()) {
            view->contextMenu()->close();
            settle();
        }
        QTest::mouseClick(rows()->viewport(), Qt::RightButton, Qt::NoModifier, centreOf(id));
        return view->contextMenu();
    };

    ASSERT_TRUE(rightClick(order.at(2)));
    EXPECT_EQ(view->contextMenu()->contextTrackIDs(), (QList<QUuid>{order.at(0), order.at(2), order.at(4)}));
    ASSERT_TRUE(rightClick(order.at(1)));
    EXPECT_EQ(view->contextMenu()->trackID(), order.at(1));
    EXPECT_EQ(view->contextMenu()->contextTrackIDs(), QList<QUuid>{order.at(1)});
    EXPECT_EQ(model->selectedTrackIDs().ids(), selection) << "opening the menu keeps the selection";
    EXPECT_FALSE(view->contextMenu()->findChild<QAction *>(u"removeFromPlaylist"_qs)) << "not in a playlist";

    // Selected rows that a search hides are never context tracks.
    model->setSearchText(u"周"_qs);
    QList<QUuid> shownSelected;
    for (const QUuid &id : visibleIDs()) {
        if (selection.contains(id))
            shownSelected.append(id);
    }
    ASSERT_LT(shownSelected.size(), selection.size());
    ASSERT_FALSE(shownSelected.isEmpty());
    ASSERT_TRUE(rightClick(shownSelected.first()));
    EXPECT_EQ(view->contextMenu()->contextTrackIDs(), shownSelected);

    // The playlists follow in their order; choosing one adds the context tracks.
    model->setSearchText(QString());
    ASSERT_TRUE(rightClick(order.at(2)));
    const QList<QAction *> actions = view->contextMenu()->actions();
    const auto addToEmpty = std::ranges::find(actions, QVariant(emptyPlaylist), &QAction::data);
    ASSERT_NE(addToEmpty, actions.end());
    EXPECT_EQ((*std::prev(addToEmpty))->data().toUuid(), nightPlaylist);
    (*addToEmpty)->trigger();
    settle();
    EXPECT_FALSE(view->contextMenu());
    EXPECT_EQ(model->playlists().playlists().at(1).trackIDs, (QList<QUuid>{order.at(0), order.at(2), order.at(4)}));
    EXPECT_EQ(model->statusMessage(), u"已添加到「空列表」"_qs);

    // Inside a playlist a track can be taken out of it.
    model->select(LibrarySelection::playlist(nightPlaylist));
    const QList<QUuid> before = model->playlists().playlists().at(0).trackIDs;
    view->openContextMenu(before.at(0), QRect());
    auto *remove = view->contextMenu()->findChild<QAction *>(u"removeFromPlaylist"_qs);
    ASSERT_TRUE(remove);
    remove->trigger();
    settle();
    EXPECT_EQ(model->playlists().playlists().at(0).trackIDs, before.mid(1));
}

TEST_F(TrackListViewTest, EmptyStatesOfferTheirOneAction)
{
    open();
    EmptyStateView *empty = view->emptyState();
    EXPECT_FALSE(empty->isVisible());

    model->setSearchText(u"没有这首歌"_qs);
    EXPECT_TRUE(empty->isVisible());
    EXPECT_EQ(empty->title(), u"没有匹配的歌曲"_qs);
    Screenshots::save(*view, u"track-list-empty-search-light"_qs);
    QTest::mouseClick(empty->actionButton(), Qt::LeftButton);
    EXPECT_EQ(model->searchText(), QString());
    EXPECT_TRUE(rows()->isVisible());

    model->select(LibrarySelection::playlist(emptyPlaylist));
    model->setSearchText(u"  "_qs);
    EXPECT_EQ(empty->title(), u"这个播放列表还是空的"_qs);
    EXPECT_EQ(empty->hint(), u"回到「全部音乐」，把歌曲拖进侧栏的播放列表。"_qs);
    QTest::mouseClick(empty->actionButton(), Qt::LeftButton);
    EXPECT_EQ(model->selection(), LibrarySelection::allMusic());

    model->select(LibrarySelection::folder(FileLocation::fromLocalFile(home.musicPath() + u"/空的"_qs)));
    EXPECT_EQ(empty->title(), u"这个文件夹里没有歌曲"_qs);
    EXPECT_EQ(empty->actionButton()->text(), u"查看全部音乐"_qs);
}

TEST_F(TrackListViewTest, MenuItemsActOnTheContextTracksWithoutAskingExceptWhileScanning)
{
    open();
    const auto titles = [this] {
        QStringList texts;
        for (const QAction *action : view->contextMenu()->actions()) {
            if (!action->isSeparator() && !action->text().isEmpty())
                texts.append(action->text());
        }
        return texts;
    };
    const QList<QUuid> order = visibleIDs();
    for (int row : {0, 2, 4})
        click(order.at(row), Qt::ControlModifier);
    view->openContextMenu(order.at(2), QRect());
    EXPECT_EQ(titles(), (QStringList{u"编辑标签…"_qs, u"修复乱码标签…"_qs, u"整理文件…"_qs, u"从音乐库移除"_qs,
                                     u"夜晚 && 雨"_qs, u"空列表"_qs}));

    // Refused while a scan runs, whose merge would bring the tracks back.
    SymbolButton *rescan = view->header()->rescanButton();
    EXPECT_TRUE(rescan->isEnabled());
    QTest::mouseClick(rescan, Qt::LeftButton);
    ASSERT_TRUE(model->isScanning());
    EXPECT_TRUE(view->header()->scanningNote()->isVisible());
    EXPECT_FALSE(rescan->isEnabled());
    view->contextMenu()->findChild<QAction *>(u"removeFromLibrary"_qs)->trigger();
    EXPECT_EQ(model->statusMessage(), u"正在扫描音乐库，请稍后再试。"_qs);
    EXPECT_EQ(visibleIDs(), order);
    ASSERT_TRUE(QTest::qWaitFor([this] { return !model->isScanning(); }, 10000));
    EXPECT_TRUE(rescan->isEnabled());
    EXPECT_FALSE(view->header()->scanningNote()->isVisible());

    view->openContextMenu(order.at(2), QRect());
    view->contextMenu()->findChild<QAction *>(u"removeFromLibrary"_qs)->trigger();
    settle();
    EXPECT_TRUE(environment.prompts->shown.isEmpty()) << "no confirmation";
    EXPECT_EQ(model->statusMessage(), u"已从音乐库移除 3 首歌曲，文件仍保留在磁盘上。"_qs);
    EXPECT_EQ(visibleIDs(), (QList<QUuid>{order.at(1), order.at(3)}));
}

TEST_F(TrackListViewTest, EmptyLibraryChoosesFoldersToImport)
{
    home.writeDataFile(u"library.json"_qs, R"({"folders": [], "tracks": []})");
    open();
    EXPECT_EQ(view->header()->metaLine(), u"0 首 · 0 分钟"_qs);
    EXPECT_FALSE(view->header()->rescanButton()->isEnabled());
    EmptyStateView *empty = view->emptyState();
    EXPECT_EQ(empty->title(), u"音乐库是空的"_qs);

    const FileLocation folder = FileLocation::fromLocalFile(home.musicPath() + u"/Jazz"_qs);
    environment.prompts->folderAnswers.append({folder});
    QTest::mouseClick(empty->actionButton(), Qt::LeftButton);
    EXPECT_TRUE(model->isScanning());
    EXPECT_FALSE(empty->actionButton()->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !model->isScanning(); }, 10000));
    EXPECT_EQ(model->library().index().folders, QList<FileLocation>{folder});
    EXPECT_TRUE(empty->actionButton()->isEnabled());
}

TEST_F(TrackListViewTest, BannersStackProgressAboveStatusAndClampTheMessage)
{
    open();
    SeededTracks::createAudioFiles(home);
    TagFields fields;
    fields.genre = u"流行"_qs;
    (void)model->applyTagEdit(fields, {model->visibleTracks().at(rowOf(sunny))});
    model->addToPlaylist(emptyPlaylist, {sunny});
    ASSERT_TRUE(model->fileWorkProgress());
    view->layout()->activate();
    ASSERT_TRUE(view->progressBanner()->isVisible());
    ASSERT_TRUE(view->statusBanner()->isVisible());
    EXPECT_EQ(view->progressBanner()->text(), *model->fileWorkProgress());
    EXPECT_LT(view->progressBanner()->y(), view->statusBanner()->y());
    ASSERT_TRUE(QTest::qWaitFor([this] { return !model->fileWorkProgress(); }, 10000));
    EXPECT_FALSE(view->progressBanner()->isVisible());

    // A message far longer than two lines: the name of a new playlist in its confirmation.
    QString longName;
    for (int i = 0; i < 30; ++i)
        longName += u"深夜电台精选"_qs;
    environment.prompts->textAnswers.append(longName);
    model->promptCreatePlaylist();
    model->addToPlaylist(model->playlists().playlists().last().id, {sunny});
    ASSERT_TRUE(view->statusBanner()->isVisible());
    settle();
    ClampedText *message = view->statusBanner()->message();
    EXPECT_TRUE(message->text().contains(longName));
    const QStringList lines = message->shownLines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines.last().endsWith(u'…'));
    EXPECT_LE(message->height(), 2 * QFontMetrics(message->font()).lineSpacing() + 1);
    auto *close = view->statusBanner()->findChild<SymbolButton *>(u"dismissStatus"_qs);
    ASSERT_TRUE(close);
    EXPECT_TRUE(close->isVisible());
    EXPECT_LE(close->mapTo(view.get(), QPoint(close->width(), 0)).x(), view->width());

    QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(model->statusMessage());
    EXPECT_FALSE(view->statusBanner()->isVisible());
}

TEST_F(TrackListViewTest, FFmpegPromptOffersItsActionsUntilClosed)
{
    open();
    model->redetectFFmpeg();
    ASSERT_TRUE(model->showsFFmpegInstallPrompt());
    StatusBanner *banner = view->statusBanner();
    ASSERT_TRUE(banner->ffmpegRow()->isVisible());
    auto *copy = banner->findChild<TextButton *>(u"copyFFmpegCommand"_qs);
    ASSERT_TRUE(copy);
    EXPECT_EQ(copy->text(), u"复制 sudo apt install ffmpeg"_qs);
    QTest::mouseClick(copy, Qt::LeftButton);
    EXPECT_EQ(environment.shell->clipboard, u"sudo apt install ffmpeg"_qs);
    EXPECT_EQ(model->statusMessage(), u"已复制安装命令：sudo apt install ffmpeg"_qs);

    QTest::mouseClick(banner->findChild<TextButton *>(u"redetectFFmpeg"_qs), Qt::LeftButton);
    EXPECT_EQ(model->statusMessage(), u"仍未找到 FFmpeg，请先运行 sudo apt install ffmpeg。"_qs);
    Screenshots::save(*view, u"track-list-ffmpeg-prompt-light"_qs);

    QTest::mouseClick(banner->findChild<SymbolButton *>(u"dismissStatus"_qs), Qt::LeftButton);
    EXPECT_FALSE(banner->isVisible());
    EXPECT_FALSE(model->showsFFmpegInstallPrompt());
}

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
