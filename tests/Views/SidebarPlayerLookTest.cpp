#include "GuiSupport/GuiFixture.h"
#include "GuiSupport/Screenshots.h"
#include "SeededTracks.h"
#include "Views/FolderRow.h"
#include "Views/MainWindow.h"
#include "Views/MainWindowContent.h"
#include "Views/PlayPauseButton.h"
#include "Views/PlayerBarView.h"
#include "Views/PlayerProgressLine.h"
#include "Views/SidebarView.h"
#include "Views/VolumeButton.h"
#include "Views/VolumePopover.h"

#include <QLinearGradient>
#include <QMimeData>
#include <QPainter>
#include <QTest>

namespace {

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
// track playing with its cover, and the pointer over the progress line.
TEST_P(SidebarPlayerLookTest, SidebarAndPlayerBarInTheWindow)
{
    colorScheme.setDark(GetParam());
    SeededTracks::setFirstTrackCover(home);
    SeededTracks::createAudioFiles(home);
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
    hover(bar->progressLine());
    QTest::qWait(400);

    const QString look = GetParam() ? QStringLiteral("dark") : QStringLiteral("light");
    Screenshots::save(*window, QStringLiteral("sidebar-player-window-") + look);
    Screenshots::save(*sidebar, QStringLiteral("sidebar-") + look);

    QTest::mouseClick(bar->volumeButton(), Qt::LeftButton);
    ASSERT_TRUE(bar->volumeButton()->popover()->isVisible());
    Screenshots::save(*bar->volumeButton()->popover(), QStringLiteral("volume-popover-") + look);
}

INSTANTIATE_TEST_SUITE_P(Appearance, SidebarPlayerLookTest, ::testing::Bool(),
    [](const auto &info) { return info.param ? "Dark" : "Light"; });

} // namespace
