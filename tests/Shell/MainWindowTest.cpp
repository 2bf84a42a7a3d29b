#include "GuiSupport/GuiFixture.h"
#include "GuiSupport/Screenshots.h"
#include "UI/DragPayloads.h"
#include "Views/DropOverlay.h"
#include "Views/MainWindow.h"
#include "Views/MainWindowContent.h"
#include "Views/PlayerBarView.h"
#include "Views/SearchField.h"
#include "Views/TopBar.h"

#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>

namespace {

class MainWindowTest : public GuiFixture
{
protected:
    MainWindow &open()
    {
        if (!model)
            buildModel();
        window = std::make_unique<MainWindow>(*model, theme);
        window->show();
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        return *window;
    }

    QLineEdit *searchField() const { return window->content()->topBar()->searchField()->lineEdit(); }

    // Drags the payload over the content; true when it was accepted.
    bool dragEnter(QMimeData &data)
    {
        QWidget *content = window->content();
        QDragEnterEvent enter(QPoint(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(content, &enter);
        return enter.isAccepted();
    }

    ~MainWindowTest() override { window.reset(); }

    std::unique_ptr<MainWindow> window;
};

TEST_F(MainWindowTest, TheSearchFieldFollowsTheModelsFocusTokensAndText)
{
    open();
    model->setSearchFocusRequest(QUuid::createUuid());
    EXPECT_TRUE(searchField()->hasFocus());
    EXPECT_TRUE(model->isSearchFocused());

    model->setEndSearchFocusRequest(QUuid::createUuid());
    EXPECT_FALSE(searchField()->hasFocus());
    EXPECT_FALSE(model->isSearchFocused());

    // Dismissing the settings sheet does the same.
    model->setSearchFocusRequest(QUuid::createUuid());
    model->setSettingsPresented(true);
    ASSERT_TRUE(window->findChild<QDialog *>(QStringLiteral("settingsSheet")));
    model->setSettingsPresented(false);
    settle();
    EXPECT_FALSE(searchField()->hasFocus());
    EXPECT_FALSE(model->isSearchFocused());

    // The field's text and the model's follow each other.
    QTest::keyClicks(searchField(), QStringLiteral("jay"));
    EXPECT_EQ(model->searchText(), QStringLiteral("jay"));
    model->setSearchText(QStringLiteral("周杰伦"));
    EXPECT_EQ(searchField()->text(), QStringLiteral("周杰伦"));
}

TEST_F(MainWindowTest, DroppingTwoFilesHandsThemOnOnceInOrder)
{
    open();
    QSignalSpy drops(window->content(), &MainWindowContent::filesDropped);
    QMimeData data;
    data.setData(QString::fromLatin1(DragPayloads::fileUrlType), "file:///music/b.mp3\r\nfile:///music/a.flac\r\n");

    ASSERT_TRUE(dragEnter(data));
    EXPECT_TRUE(window->content()->dropOverlay()->isVisible());
    Screenshots::save(*window, QStringLiteral("main-window-drop-light"));

    QDropEvent drop(QPointF(300, 300), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->content(), &drop);
    EXPECT_FALSE(window->content()->dropOverlay()->isVisible());
    ASSERT_EQ(drops.count(), 1);
    EXPECT_EQ(drops.at(0).at(0).value<QList<FileLocation>>(),
              (QList{FileLocation::fromPath("/music/b.mp3"), FileLocation::fromPath("/music/a.flac")}));

    // A dragged track is no file to import.
    std::unique_ptr<QMimeData> track(DragPayloads::trackPayload(QUuid::createUuid()));
    EXPECT_FALSE(dragEnter(*track));
    EXPECT_FALSE(window->content()->dropOverlay()->isVisible());
}

// Once the window has painted; the model starts only once, however often the window shows.
TEST_F(MainWindowTest, TheShownWindowStartsTheModelOnce)
{
    buildModel();
    QSignalSpy scans(model.get(), &AppModel::isScanningChanged);
    open();
    // The start rescans the library's folders: scanning, then done.
    ASSERT_TRUE(QTest::qWaitFor([&] { return scans.size() >= 2 && !model->isScanning(); }, 5000));
    const qsizetype afterFirstShow = scans.size();
    window->hide();
    window->show();
    settle(200);
    EXPECT_EQ(scans.size(), afterFirstShow);
}

class MainWindowLookTest : public MainWindowTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(MainWindowLookTest, LaysOutTheBarsAndSavesAScreenshot)
{
    colorScheme.setDark(GetParam());
    open();
    window->resize(1100, 700);
    settle();
    MainWindowContent *content = window->content();
    EXPECT_EQ(content->topBar()->height(), TopBar::barHeight);
    // The player bar's widget reaches above the bar for the progress line's thumb.
    const int playerBarSpan = MainWindowContent::playerBarHeight + PlayerBarView::overhang();
    EXPECT_EQ(content->playerBar()->height(), playerBarSpan);
    EXPECT_EQ(content->sidebar()->width(), MainWindowContent::sidebarWidth);
    EXPECT_EQ(content->trackList()->height(), content->height() - TopBar::barHeight - playerBarSpan);
    // The menu bar follows the appearance like the rest of the window.
    const QImage menuBar = window->menuBar()->grab().toImage();
    EXPECT_EQ(QColor(menuBar.pixel(menuBar.width() - 2, menuBar.height() / 2)).lightness() < 128, GetParam());
    Screenshots::save(*window, GetParam() ? QStringLiteral("main-window-dark") : QStringLiteral("main-window-light"));

    // The command menus as they drop down, side by side on one strip.
    QWidget strip;
    auto *row = new QHBoxLayout(&strip);
    for (QAction *title : window->menuBar()->actions()) {
        QMenu *menu = title->menu();
        menu->adjustSize();
        auto *shot = new QLabel(&strip);
        shot->setPixmap(menu->grab());
        row->addWidget(shot, 0, Qt::AlignTop);
    }
    strip.adjustSize();
    Screenshots::save(strip, GetParam() ? QStringLiteral("menus-dark") : QStringLiteral("menus-light"));

    model->setSearchFocusRequest(QUuid::createUuid());
    searchField()->insert(QStringLiteral("晴天"));
    Screenshots::save(*window, GetParam() ? QStringLiteral("main-window-search-dark") : QStringLiteral("main-window-search-light"));
}

INSTANTIATE_TEST_SUITE_P(Appearance, MainWindowLookTest, ::testing::Bool(),
    [](const auto &info) { return info.param ? "Dark" : "Light"; });

} // namespace
