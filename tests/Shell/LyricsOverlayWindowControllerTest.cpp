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

TEST_F(LyricsOverlayWindowControllerTest, TheStoredFrameIsRestoredOnlyWhenItIsUsable)
{
    ASSERT_TRUE(twoScreens);
    ASSERT_EQ(QGuiApplication::screens().size(), 2);
    const std::pair<std::optional<QString>, QRect> cases[] = {
        {std::nullopt, defaultFrame},
        {QStringLiteral("{{100, 100}, {200, 100}}"), defaultFrame},
        {QStringLiteral("{{100, 100}, {1500, 500}}"), QRect(100, 100, 1200, 420)},
        {QStringLiteral("{{1600, 300}, {600, 150}}"), QRect(1600, 300, 600, 150)},
        {QStringLiteral("{{4000, 3000}, {560, 120}}"), defaultFrame},
        {QStringLiteral("not a frame"), defaultFrame},
    };
    for (const auto &[stored, expected] : cases) {
        make(stored);
        EXPECT_EQ(frame(), expected) << stored.value_or(QStringLiteral("none")).toStdString();
    }

    // Kept while hidden, a frame off the screens is put on the screen it touches when shown.
    make(QStringLiteral("{{2500, 700}, {560, 120}}"));
    controller->show();
    EXPECT_EQ(frame(), QRect(2720 - 560, 680, 560, 120));
}

TEST(LyricsOverlayFrameTest, OnScreenMovesAndSizesIntoTheUsableAreaItTouches)
{
    const QRect main(0, 0, 1440, 900), side(1440, 0, 1280, 800);
    const struct
    {
        QRect frame;
        QList<QRect> areas;
        QRect expected;
    } cases[] = {
        {{1300, 850, 560, 120}, {main}, {880, 780, 560, 120}},
        {{-50, -20, 560, 120}, {main}, {0, 0, 560, 120}},
        {{10, 10, 560, 120}, {{0, 0, 250, 900}}, {0, 10, 250, 120}},
        {{1500, 10, 100, 50}, {main, side}, {1500, 10, 280, 70}},
        {{5000, 5000, 560, 120}, {main, side}, {880, 780, 560, 120}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(LyricsOverlayFrame::onScreen(c.frame, c.areas, c.areas.value(0)), c.expected) << c.frame.x();
}

TEST(LyricsOverlayFrameTest, AGripDragKeepsTheTopLeftCornerAndTheLimits)
{
    const QRect start(300, 200, 560, 120);
    EXPECT_EQ(LyricsOverlayFrame::resizedFromCorner(start, {40, 30}), QRect(300, 200, 600, 150));
    EXPECT_EQ(LyricsOverlayFrame::resizedFromCorner(start, {-1000, -1000}), QRect(300, 200, 280, 70));
    EXPECT_EQ(LyricsOverlayFrame::resizedFromCorner(start, {2000, 2000}), QRect(300, 200, 1200, 420));
}

TEST_F(LyricsOverlayWindowControllerTest, ResizingTheWidthKeepsTheCentreWithinTheLimitsAndSavesOnlyAChange)
{
    const struct
    {
        int width;
        int delta;
        std::optional<int> expected;
    } cases[] = {{1200, 40, std::nullopt}, {300, 40, 340}, {300, -40, 280}, {280, -40, std::nullopt}, {1180, 40, 1200}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.width + c.delta);
        const QRect before(400, 300, c.width, 150);
        make(LyricsOverlayFrame::text(before));
        QSettings().remove(frameKey);
        controller->resizeWidth(c.delta);
        const QRect expected = c.expected ? QRect(400 + c.width / 2 - *c.expected / 2, 300, *c.expected, 150) : before;
        EXPECT_EQ(frame(), expected);
        EXPECT_EQ(storedFrame(), c.expected ? std::optional(LyricsOverlayFrame::text(expected)) : std::nullopt);
    }
}

TEST_F(LyricsOverlayWindowControllerTest, ThePillShowsNearTheOverlayAndKeepsItsStateWhileAButtonIsHeld)
{
    const struct
    {
        QPoint offset; // from the overlay's bottom-right pixel
        bool buttonHeld;
        bool pillShownBefore;
        bool expected;
    } cases[] = {
        {{3, 0}, false, false, true}, {{0, 3}, false, false, true}, {{5, 0}, false, true, false},
        {{0, 5}, false, true, false}, {{5, 0}, true, true, true}, {{5, 0}, true, false, false},
        {{-400, -60}, false, false, true},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.offset.x() << "," << c.offset.y() << " held " << c.buttonHeld);
        make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
        buttonHeld = false;
        showLocked(c.pillShownBefore ? QPoint(300, 250) : QPoint(-1000, -1000));
        ASSERT_EQ(pillShown(), c.pillShownBefore);
        pointer = QPoint(200 + 560 - 1, 200 + 120 - 1) + c.offset;
        buttonHeld = c.buttonHeld;
        controller->updateLockedControls();
        EXPECT_EQ(pillShown(), c.expected);
    }
}

TEST_F(LyricsOverlayWindowControllerTest, ThePillSitsCentredAboveTheBottomEdgeAndMovesAreSavedOnlyWhileVisible)
{
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    showLocked(QPoint(300, 250));
    ASSERT_TRUE(pillShown());
    EXPECT_EQ(controller->controlsPanel()->pos(), QPoint(200 + 280 - 32, 200 + 120 - 8 - 30));

    controller->moveBy(QPoint(10, -5));
    EXPECT_EQ(frame(), QRect(210, 195, 560, 120));
    EXPECT_EQ(controller->controlsPanel()->pos(), QPoint(210 + 280 - 32, 195 + 120 - 8 - 30));
    EXPECT_EQ(storedFrame(), QStringLiteral("{{210, 195}, {560, 120}}"));

    controller->panel()->move(320, 310);
    EXPECT_EQ(storedFrame(), QStringLiteral("{{320, 310}, {560, 120}}"));
    controller->hide();
    controller->panel()->move(500, 500);
    EXPECT_EQ(storedFrame(), QStringLiteral("{{320, 310}, {560, 120}}"));
}

// With the pointer over the overlay, the pointer is watched and the pill shown exactly while the
// overlay is locked and visible; clicks pass through exactly while it is locked.
TEST_F(LyricsOverlayWindowControllerTest, LockingAndShowingDecideThePointerWatchClickThroughAndPill)
{
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    pointer = QPoint(300, 250);
    model->setLyricsOverlay(controller.get());
    const struct
    {
        const char *name;
        bool visible;
        bool locked;
    } steps[] = {{"hidden", false, false},
                 {"shown", true, false},
                 {"locked", true, true},
                 {"hidden while locked", false, true},
                 {"shown again", true, true},
                 {"unlocked", true, false}};
    for (const auto &step : steps) {
        SCOPED_TRACE(step.name);
        model->setLyricsVisible(step.visible);
        model->setLyricsLocked(step.locked);
        EXPECT_EQ(controller->panel()->isVisible(), step.visible);
        EXPECT_EQ(controller->isWatchingPointer(), step.visible && step.locked);
        EXPECT_EQ(pillShown(), step.visible && step.locked);
        if (step.visible) {
            const Qt::WindowFlags flags = controller->panel()->windowHandle()->flags();
            EXPECT_EQ(flags.testFlag(Qt::WindowTransparentForInput), step.locked);
        }
    }
    EXPECT_FALSE(controller->controlsPanel()->windowHandle()
        && controller->controlsPanel()->windowHandle()->flags().testFlag(Qt::WindowTransparentForInput));

    // Whatever the settings, the overlay floats above the other windows.
    controller->applySettings();
    EXPECT_TRUE(controller->panel()->windowHandle()->flags().testFlag(Qt::WindowStaysOnTopHint));
}

TEST_F(LyricsOverlayWindowControllerTest, ThePollRestsWhileThePointerIsFarAwayAndBringsThePillWhenItArrives)
{
    make(LyricsOverlayFrame::text(QRect(200, 200, 560, 120)));
    showLocked(QPoint(-1000, -1000));
    controller->updateLockedControls();
    EXPECT_FALSE(pillShown());
    EXPECT_EQ(controller->pointerPollInterval(), LyricsOverlayWindowController::restingPointerPollMs);

    pointer = QPoint(400, 260);
    EXPECT_TRUE(QTest::qWaitFor([&] { return pillShown(); }, 1000));
    pointer = QPoint(150, 150);
    controller->updateLockedControls();
    EXPECT_EQ(controller->pointerPollInterval(), LyricsOverlayWindowController::pointerPollMs);
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

} // namespace
