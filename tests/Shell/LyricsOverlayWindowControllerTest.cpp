#include "GuiSupport/GuiFixture.h"
#include "GuiSupport/OffscreenScreens.h"
#include "Shell/LyricsOverlayFrame.h"
#include "Shell/LyricsOverlayWindowController.h"
#include "UI/ShadowPanel.h"
#include "Views/LyricsOverlayView.h"

#include <QApplication>
#include <QEnterEvent>
#include <QSettings>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace {

// Two screens side by side, the first the main one; set before the application starts.
const bool twoScreens = useOffscreenScreens("two-screens", R"([
    {"name": "main", "x": 0, "y": 0, "width": 1440, "height": 900, "logicalDpi": 96, "dpr": 1},
    {"name": "side", "x": 1440, "y": 0, "width": 1280, "height": 800, "logicalDpi": 96, "dpr": 1}])");

const QRect defaultFrame(440, 690, 560, 120);

class LyricsOverlayWindowControllerTest : public GuiFixture
{
protected:
    LyricsOverlayWindowController &make(const std::optional<QString> &storedFrame = std::nullopt)
    {
        QSettings settings;
        if (storedFrame)
            settings.setValue(frameKey, *storedFrame);
        else
            settings.remove(frameKey);
        if (!model)
            buildModel();
        controller = std::make_unique<LyricsOverlayWindowController>(*model, theme);
        controller->setPointer({[this] { return pointer; }, [this] { return buttonHeld; }});
        return *controller;
    }

    QRect frame() const { return controller->panel()->geometry(); }
    static std::optional<QString> storedFrame()
    {
        const QSettings settings;
        return settings.contains(frameKey) ? std::optional(settings.value(frameKey).toString()) : std::nullopt;
    }
    bool pillShown() const { return controller->controlsPanel()->isVisible(); }

    // Shows the overlay locked with the pointer at `point`.
    void showLocked(QPoint point)
    {
        pointer = point;
        model->setLyricsLocked(true);
        model->setLyricsVisible(true);
        model->setLyricsOverlay(controller.get());
        controller->setLocked(true);
        controller->show();
    }

    static inline const QString frameKey = QStringLiteral("lyricsOverlayFrame");
    std::unique_ptr<LyricsOverlayWindowController> controller;
    QPoint pointer{-1000, -1000};
    bool buttonHeld = false;
};

TEST_F(LyricsOverlayWindowControllerTest, TheTwoScreensAreThere)
{
    ASSERT_TRUE(twoScreens);
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
}

struct RestoreCase
{
    std::optional<QString> stored;
    QRect expected;
};

class RestoredFrame : public LyricsOverlayWindowControllerTest, public ::testing::WithParamInterface<RestoreCase>
{
};

TEST_P(RestoredFrame, IsTheStoredFrameOnlyWhenItIsUsable)
{
    make(GetParam().stored);
    EXPECT_EQ(frame(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, RestoredFrame,
    ::testing::Values(RestoreCase{std::nullopt, defaultFrame},
        RestoreCase{QStringLiteral("{{100, 100}, {200, 100}}"), defaultFrame},
        RestoreCase{QStringLiteral("{{100, 100}, {1500, 500}}"), QRect(100, 100, 1200, 420)},
        RestoreCase{QStringLiteral("{{1600, 300}, {600, 150}}"), QRect(1600, 300, 600, 150)},
        RestoreCase{QStringLiteral("{{4000, 3000}, {560, 120}}"), defaultFrame},
        RestoreCase{QStringLiteral("not a frame"), defaultFrame}));

struct OnScreenCase
{
    QRect frame;
    QList<QRect> areas;
    QRect expected;
};

class OnScreen : public ::testing::TestWithParam<OnScreenCase>
{
};

TEST_P(OnScreen, MovesAndSizesIntoTheUsableAreaItTouches)
{
    EXPECT_EQ(LyricsOverlayFrame::onScreen(GetParam().frame, GetParam().areas, GetParam().areas.value(0)),
        GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, OnScreen,
    ::testing::Values(OnScreenCase{{1300, 850, 560, 120}, {{0, 0, 1440, 900}}, {880, 780, 560, 120}},
        OnScreenCase{{-50, -20, 560, 120}, {{0, 0, 1440, 900}}, {0, 0, 560, 120}},
        OnScreenCase{{10, 10, 560, 120}, {{0, 0, 250, 900}}, {0, 10, 250, 120}},
        OnScreenCase{{1500, 10, 100, 50}, {{0, 0, 1440, 900}, {1440, 0, 1280, 800}}, {1500, 10, 280, 70}},
        OnScreenCase{{5000, 5000, 560, 120}, {{0, 0, 1440, 900}, {1440, 0, 1280, 800}}, {880, 780, 560, 120}}));

TEST_F(LyricsOverlayWindowControllerTest, ShowingPutsAnOffScreenFrameOnTheScreenItTouches)
{
    make(QStringLiteral("{{2500, 700}, {560, 120}}"));
    controller->show();
    EXPECT_EQ(frame(), QRect(2720 - 560, 680, 560, 120));
}

struct WidthCase
{
    int width;
    int delta;
    std::optional<int> expected;
};

class ResizeWidth : public LyricsOverlayWindowControllerTest, public ::testing::WithParamInterface<WidthCase>
{
};

TEST_P(ResizeWidth, KeepsTheCentreWithinTheLimitsAndSavesOnlyAChange)
{
    const WidthCase &c = GetParam();
    make(LyricsOverlayFrame::text(QRect(400, 300, c.width, 150)));
    QSettings().remove(frameKey);
    controller->resizeWidth(c.delta);
    if (!c.expected) {
        EXPECT_EQ(frame(), QRect(400, 300, c.width, 150));
        EXPECT_EQ(storedFrame(), std::nullopt);
        return;
    }
    const QRect expected(400 + c.width / 2 - *c.expected / 2, 300, *c.expected, 150);
    EXPECT_EQ(frame(), expected);
    EXPECT_EQ(storedFrame(), LyricsOverlayFrame::text(expected));
}

INSTANTIATE_TEST_SUITE_P(, ResizeWidth,
    ::testing::Values(WidthCase{1200, 40, std::nullopt}, WidthCase{300, 40, 340}, WidthCase{300, -40, 280},
        WidthCase{280, -40, std::nullopt}, WidthCase{1180, 40, 1200}));

struct HoverCase
{
    QPoint offset; // from the overlay's bottom-right pixel
    bool buttonHeld;
    bool pillShownBefore;
    bool expected;
};

class PillHover : public LyricsOverlayWindowControllerTest, public ::testing::WithParamInterface<HoverCase>
{
};

TEST_P(PillHover, ShowsNearTheOverlayAndKeepsItsStateWhileAButtonIsHeld)
{
    const HoverCase &c = GetParam();
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    const QPoint corner(200 + 560 - 1, 200 + 120 - 1);
    showLocked(c.pillShownBefore ? QPoint(300, 250) : QPoint(-1000, -1000));
    ASSERT_EQ(pillShown(), c.pillShownBefore);
    pointer = corner + c.offset;
    buttonHeld = c.buttonHeld;
    controller->updateLockedControls();
    EXPECT_EQ(pillShown(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(, PillHover,
    ::testing::Values(HoverCase{{3, 0}, false, false, true}, HoverCase{{0, 3}, false, false, true},
        HoverCase{{5, 0}, false, true, false}, HoverCase{{0, 5}, false, true, false},
        HoverCase{{5, 0}, true, true, true}, HoverCase{{5, 0}, true, false, false},
        HoverCase{{-400, -60}, false, false, true}));

TEST_F(LyricsOverlayWindowControllerTest, ThePillSitsCentredAboveTheBottomEdgeAndFollowsAMove)
{
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    showLocked(QPoint(300, 250));
    ASSERT_TRUE(pillShown());
    EXPECT_EQ(controller->controlsPanel()->pos(), QPoint(200 + 280 - 32, 200 + 120 - 8 - 30));

    controller->moveBy(QPoint(10, -5));
    EXPECT_EQ(frame(), QRect(210, 195, 560, 120));
    EXPECT_EQ(controller->controlsPanel()->pos(), QPoint(210 + 280 - 32, 195 + 120 - 8 - 30));
    EXPECT_EQ(storedFrame(), QStringLiteral("{{210, 195}, {560, 120}}"));
}

TEST_F(LyricsOverlayWindowControllerTest, ThePointerIsPolledOnlyWhileLockedAndVisible)
{
    make();
    model->setLyricsOverlay(controller.get());
    EXPECT_FALSE(controller->isWatchingPointer());
    model->setLyricsVisible(true);
    EXPECT_FALSE(controller->isWatchingPointer());
    model->setLyricsLocked(true);
    EXPECT_TRUE(controller->isWatchingPointer());
    model->setLyricsVisible(false);
    EXPECT_FALSE(controller->isWatchingPointer());
    model->setLyricsVisible(true);
    EXPECT_TRUE(controller->isWatchingPointer());
    model->setLyricsLocked(false);
    EXPECT_FALSE(controller->isWatchingPointer());
}

TEST_F(LyricsOverlayWindowControllerTest, ThePollBringsThePillWhenThePointerArrives)
{
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    showLocked(QPoint(-1000, -1000));
    EXPECT_FALSE(pillShown());
    pointer = QPoint(400, 260);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pillShown(); }, 1000));
}

TEST_F(LyricsOverlayWindowControllerTest, ThePollRestsWhileThePointerIsFarAway)
{
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    showLocked(QPoint(-1000, -1000));
    controller->updateLockedControls();
    EXPECT_EQ(controller->pointerPollInterval(), LyricsOverlayWindowController::restingPointerPollMs);
    pointer = QPoint(150, 150);
    controller->updateLockedControls();
    EXPECT_EQ(controller->pointerPollInterval(), LyricsOverlayWindowController::pointerPollMs);
}

TEST_F(LyricsOverlayWindowControllerTest, ClicksPassThroughExactlyWhileLocked)
{
    make();
    model->setLyricsOverlay(controller.get());
    model->setLyricsVisible(true);
    QWindow *window = controller->panel()->windowHandle();
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(window->flags().testFlag(Qt::WindowTransparentForInput));
    model->setLyricsLocked(true);
    EXPECT_TRUE(window->flags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_TRUE(controller->panel()->isVisible());
    model->setLyricsLocked(false);
    EXPECT_FALSE(window->flags().testFlag(Qt::WindowTransparentForInput));
    EXPECT_FALSE(controller->controlsPanel()->windowHandle()
        && controller->controlsPanel()->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));
}

TEST_F(LyricsOverlayWindowControllerTest, UnlockingHidesThePillAtOnceAndLockingUnderThePointerShowsIt)
{
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    pointer = QPoint(300, 250);
    model->setLyricsOverlay(controller.get());
    model->setLyricsVisible(true);
    EXPECT_FALSE(pillShown());
    model->setLyricsLocked(true);
    EXPECT_TRUE(pillShown());
    model->setLyricsLocked(false);
    EXPECT_FALSE(pillShown());
}

TEST_F(LyricsOverlayWindowControllerTest, TheFrameIsSavedOnlyWhileVisible)
{
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    QSettings().remove(frameKey);
    controller->panel()->move(300, 300);
    EXPECT_EQ(storedFrame(), std::nullopt);
    controller->show();
    controller->panel()->move(320, 310);
    EXPECT_EQ(storedFrame(), QStringLiteral("{{320, 310}, {560, 120}}"));
    controller->hide();
    controller->panel()->move(500, 500);
    EXPECT_EQ(storedFrame(), QStringLiteral("{{320, 310}, {560, 120}}"));
}

// The backdrop casts the window's shadow; with no compositor to show it there is no room for one
// and the window is its frame.
TEST_F(LyricsOverlayWindowControllerTest, TheShadowComesWithTheBackdropAndNeedsACompositor)
{
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    model->setLyricsOverlay(controller.get());
    model->setLyricsVisible(true);
    EXPECT_TRUE(controller->panel()->shadowMargins().isNull());
    EXPECT_EQ(controller->panel()->frame(), controller->panel()->geometry());
    EXPECT_EQ(controller->panel()->shadowOpacity(), 0);
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(210, 210));
    QApplication::sendEvent(controller->view(), &enter);
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller->panel()->shadowOpacity() == 1; }, 2000));
    model->setLyricsLocked(true);
    EXPECT_TRUE(QTest::qWaitFor([&] { return controller->panel()->shadowOpacity() == 0; }, 2000));
}

TEST_F(LyricsOverlayWindowControllerTest, HidingTakesThePillAlong)
{
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    showLocked(QPoint(300, 250));
    ASSERT_TRUE(pillShown());
    model->setLyricsVisible(false);
    EXPECT_FALSE(controller->panel()->isVisible());
    EXPECT_FALSE(pillShown());
    EXPECT_FALSE(controller->isWatchingPointer());
}

} // namespace

namespace {

struct GripCase
{
    QPoint movement;
    QRect expected;
};

class GripDrag : public ::testing::TestWithParam<GripCase>
{
};

TEST_P(GripDrag, KeepsTheTopLeftCornerAndTheLimits)
{
    EXPECT_EQ(LyricsOverlayFrame::resizedFromCorner(QRect(300, 200, 560, 120), GetParam().movement), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(, GripDrag,
    ::testing::Values(GripCase{{40, 30}, {300, 200, 600, 150}}, GripCase{{-1000, -1000}, {300, 200, 280, 70}},
        GripCase{{2000, 2000}, {300, 200, 1200, 420}}));

} // namespace
