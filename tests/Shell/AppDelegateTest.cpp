#include "GuiSupport/GuiFixture.h"
#include "Shell/AppDelegate.h"
#include "Shell/LyricsOverlayWindowController.h"
#include "Shell/MediaKeyController.h"
#include "Shell/MenuBarController.h"
#include "Shell/MiniPlayerWindowController.h"
#include "Views/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

namespace {

class AppDelegateTest : public GuiFixture
{
protected:
    AppDelegate &launch(bool trayAvailable = true)
    {
        buildModel();
        model_ = model.get();
        delegate = std::make_unique<AppDelegate>(std::move(model), theme);
        delegate->trayAvailable = [trayAvailable] { return trayAvailable; };
        window = delegate->openMainWindow();
        window->show();
        delegate->didFinishLaunching();
        settle();
        return *delegate;
    }

    void setKeepRunningOnClose(bool keepRunning)
    {
        AppSettings settings = model_->library().settings();
        settings.keepRunningOnClose = keepRunning;
        model_->library().setSettings(settings);
    }

    ~AppDelegateTest() override { delegate.reset(); }

    std::unique_ptr<AppDelegate> delegate;
    AppModel *model_ = nullptr;
    QPointer<MainWindow> window;
};

class LaunchOrderTest : public AppDelegateTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(LaunchOrderTest, ControllersInOrderWiredToTheModel)
{
    const bool spectrumSetting = GetParam();
    seedSettings([&](AppSettings &settings) {
        settings.showMainSpectrum = spectrumSetting;
        settings.lyricsLocked = true;
    });
    launch();

    QStringList order;
    for (QObject *child : delegate->children())
        order << QString::fromLatin1(child->metaObject()->className());
    EXPECT_EQ(order, (QStringList{QStringLiteral("MiniPlayerWindowController"),
                         QStringLiteral("LyricsOverlayWindowController"), QStringLiteral("MenuBarController"),
                         QStringLiteral("MediaKeyController")}));
    EXPECT_EQ(model_->miniPlayer(), delegate->miniPlayer());
    EXPECT_EQ(model_->lyricsOverlay(), delegate->lyricsOverlay());
    EXPECT_TRUE(delegate->lyricsOverlay()->isLocked());
    EXPECT_EQ(environment.engine->isSpectrumEnabled(), spectrumSetting);

    // On the next turn the window becomes the main window.
    EXPECT_EQ(delegate->mainWindow(), window);
}

INSTANTIATE_TEST_SUITE_P(Spectrum, LaunchOrderTest, ::testing::Bool());

TEST_F(AppDelegateTest, ActivatingTheMainWindowHidesAVisibleMiniPlayer)
{
    launch();
    delegate->miniPlayer()->show();
    ASSERT_TRUE(model_->isMiniPlayerVisible());
    EXPECT_TRUE(environment.engine->isSpectrumEnabled());

    // A panel becoming active leaves the main window and the mini player alone.
    QEvent activate(QEvent::WindowActivate);
    QApplication::sendEvent(delegate->miniPlayer()->panel(), &activate);
    EXPECT_TRUE(delegate->miniPlayer()->isVisible());

    QApplication::sendEvent(window, &activate);
    EXPECT_FALSE(delegate->miniPlayer()->isVisible());
    EXPECT_FALSE(model_->isMiniPlayerVisible());
    EXPECT_FALSE(environment.engine->isSpectrumEnabled());
    EXPECT_EQ(delegate->mainWindow(), window);
}

struct CloseCase
{
    bool keepRunningOnClose;
    bool trayAvailable;
    bool hides;
};

class QuitPolicyTest : public AppDelegateTest, public ::testing::WithParamInterface<CloseCase>
{
};

TEST_P(QuitPolicyTest, ReadAtEachClose)
{
    const CloseCase c = GetParam();
    launch(c.trayAvailable);
    // The opposite setting first, so the close must read it again.
    setKeepRunningOnClose(!c.keepRunningOnClose);
    setKeepRunningOnClose(c.keepRunningOnClose);

    EXPECT_EQ(window->close(), !c.hides);
    settle();
    EXPECT_EQ(window.isNull(), !c.hides);
    EXPECT_EQ(delegate->quitsAfterLastWindowClosed(), !c.hides);
}

INSTANTIATE_TEST_SUITE_P(Cases, QuitPolicyTest,
    ::testing::Values(CloseCase{true, true, true}, CloseCase{false, true, false}, CloseCase{true, false, false},
        CloseCase{false, false, false}));

TEST_F(AppDelegateTest, TheMiniPlayerHidesTheMainWindowWhichComesBackResettingSearchFocus)
{
    launch();
    delegate->showMiniPlayer();
    EXPECT_FALSE(window->isVisible());
    EXPECT_TRUE(delegate->miniPlayer()->isVisible());
    EXPECT_TRUE(model_->isMiniPlayerVisible());
    QSignalSpy endFocus(model_, &AppModel::endSearchFocusRequestChanged);

    delegate->showMainWindow();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(delegate->miniPlayer()->isVisible());
    EXPECT_EQ(endFocus.count(), 1);
    settle(600);
    // Again on the next turn and after half a second.
    EXPECT_GE(endFocus.count(), 3);
}

TEST_F(AppDelegateTest, ShowMainWindowOpensANewOneWhenNoneIsLeft)
{
    launch(false);
    setKeepRunningOnClose(false);
    window->close();
    settle();
    ASSERT_TRUE(window.isNull());

    delegate->showMainWindow();
    settle();
    int visibleMainWindows = 0;
    for (QWidget *widget : QApplication::topLevelWidgets())
        visibleMainWindows += AppDelegate::isMainWindowCandidate(widget) && widget->isVisible();
    EXPECT_EQ(visibleMainWindows, 1);
}

TEST_F(AppDelegateTest, ClosingAnotherWindowSavesThePlaybackState)
{
    launch();
    QWidget other;
    other.show();
    model_->flushPendingSaves();
    ASSERT_TRUE(QFile::remove(home.dataPath() + QStringLiteral("/settings.json")));
    other.close();
    model_->flushPendingSaves();
    EXPECT_TRUE(home.readDataFile(QStringLiteral("settings.json")).contains("\"lastPosition\": 42.5"));
}

} // namespace
