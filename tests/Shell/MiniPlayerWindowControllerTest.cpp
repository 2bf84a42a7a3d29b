#include "GuiSupport/GuiFixture.h"
#include "Shell/MiniPlayerPlacement.h"
#include "Shell/MiniPlayerWindowController.h"
#include "Views/MiniButton.h"
#include "Views/MiniPlayerView.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QTest>
#include <QWidget>
#include <QWindow>

namespace {

TEST(MiniPlayerPlacementTest, TheOriginIsTheSavedOneKeptOnAScreenElseTwentyInFromTheTopRight)
{
    const QRectF main(0, 25, 1440, 875), side(1440, 0, 1920, 1080);
    const struct
    {
        const char *name;
        std::optional<QPointF> saved;
        QList<QRectF> screens;
        QPointF expected;
    } cases[] = {
        {"first showing", std::nullopt, {main, side}, {940, 45}},
        {"far off every screen", QPointF(5000, 5000), {main, side}, {960, 834}},
        {"above and left of the main screen", QPointF(-300, -40), {main}, {0, 25}},
        {"on the second screen", QPointF(2000, 500), {main, side}, {2000, 500}},
        {"half off the second screen", QPointF(3300, 1070), {main, side}, {2880, 1014}},
        {"no screen keeps the saved origin", QPointF(5000, 5000), {}, {5000, 5000}},
        {"no screen and nothing saved", std::nullopt, {}, {0, 0}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MiniPlayerPlacement::origin(c.saved, c.screens, QSizeF(480, 66)), c.expected) << c.name;
}

class MiniPlayerWindowControllerTest : public GuiFixture
{
protected:
    // The settings file is found once per process; each test starts without a saved origin.
    MiniPlayerWindowControllerTest() { QSettings().clear(); }

    MiniPlayerWindowController &make()
    {
        if (!model)
            buildModel();
        controller = std::make_unique<MiniPlayerWindowController>(*model, theme);
        return *controller;
    }

    static QRect usableArea() { return QGuiApplication::primaryScreen()->availableGeometry(); }

    ~MiniPlayerWindowControllerTest() override { controller.reset(); }

    std::unique_ptr<MiniPlayerWindowController> controller;
};

TEST_F(MiniPlayerWindowControllerTest, FirstShowSitsTwentyInFromTheTopRightAndAnOriginOffTheScreenIsPulledOn)
{
    MiniPlayerWindowController &mini = make();
    EXPECT_FALSE(mini.isVisible());
    mini.show();
    settle();

    const QRect area = usableArea();
    EXPECT_TRUE(mini.isVisible());
    EXPECT_TRUE(model->isMiniPlayerVisible());
    EXPECT_EQ(mini.panel()->size(), QSize(480, 66));
    EXPECT_EQ(mini.panel()->pos(), QPoint(area.x() + area.width() - 480 - 20, area.y() + 20));
    // No compositor runs here: the window is cut to the rounded plate.
    EXPECT_FALSE(mini.panel()->mask().contains(QPoint(1, 1)));
    EXPECT_TRUE(mini.panel()->mask().contains(QPoint(240, 33)));

    // A saved origin far off the screen is pulled onto it.
    QSettings().setValue("miniPlayerOriginX", 5000.0);
    QSettings().setValue("miniPlayerOriginY", 5000.0);
    make().show();
    settle();
    EXPECT_EQ(controller->panel()->pos(), QPoint(area.x() + area.width() - 480, area.y() + area.height() - 66));
}

TEST_F(MiniPlayerWindowControllerTest, ShowingAVisiblePanelNeitherMovesItNorRereadsTheSettings)
{
    MiniPlayerWindowController &mini = make();
    mini.show();
    mini.panel()->move(100, 120);
    settle();
    EXPECT_EQ(QSettings().value("miniPlayerOriginX").toDouble(), 100);
    QSettings().setValue("miniPlayerOriginX", 600.0);
    AppSettings settings = model->library().settings();
    settings.miniAlwaysOnTop = false;
    model->library().setSettings(settings);

    mini.show();
    settle();
    EXPECT_EQ(mini.panel()->pos(), QPoint(100, 120));
    EXPECT_TRUE(mini.panel()->windowFlags() & Qt::WindowStaysOnTopHint);

    // Settings applied explicitly take effect on the shown panel at once.
    mini.applySettings();
    EXPECT_FALSE(mini.panel()->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
}

TEST_F(MiniPlayerWindowControllerTest, AlwaysOnTopOffGivesAnOrdinaryWindow)
{
    seedSettings([](AppSettings &settings) { settings.miniAlwaysOnTop = false; });
    MiniPlayerWindowController &mini = make();
    mini.show();
    settle();
    EXPECT_FALSE(mini.panel()->windowHandle()->flags() & Qt::WindowStaysOnTopHint);
    EXPECT_TRUE(mini.panel()->windowHandle()->flags() & Qt::WindowDoesNotAcceptFocus);
}

class SpectrumRuleTest : public MiniPlayerWindowControllerTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(SpectrumRuleTest, SpectrumRunsWhileThePanelShowsOrTheShownMainWindowAsks)
{
    const bool mainSpectrum = GetParam();
    seedSettings([&](AppSettings &settings) { settings.showMainSpectrum = mainSpectrum; });
    MiniPlayerWindowController &mini = make();
    model->setMainWindowShown(true);
    mini.show();
    EXPECT_TRUE(environment.engine->isSpectrumEnabled());
    mini.hide();
    EXPECT_FALSE(model->isMiniPlayerVisible());
    EXPECT_EQ(environment.engine->isSpectrumEnabled(), mainSpectrum);
    // Nothing draws it once the main window is hidden too.
    model->setMainWindowShown(false);
    EXPECT_FALSE(environment.engine->isSpectrumEnabled());
}

INSTANTIATE_TEST_SUITE_P(MainSpectrum, SpectrumRuleTest, ::testing::Bool());

TEST_F(MiniPlayerWindowControllerTest, DraggingTheStripMovesThePanelAndKeepsTheNewOriginOnlyWhileShown)
{
    MiniPlayerWindowController &mini = make();
    mini.panel()->move(300, 300);
    settle();
    EXPECT_FALSE(QSettings().contains("miniPlayerOriginX"));
    mini.show();
    settle();
    const QPoint start = mini.panel()->pos();
    // On the cover: the press goes through to the strip, which drags the window.
    QTest::mousePress(mini.view(), Qt::LeftButton, {}, QPoint(25, 33));
    QTest::mouseMove(mini.view(), QPoint(25 - 30, 33 + 12));
    QTest::mouseRelease(mini.view(), Qt::LeftButton, {}, QPoint(25 - 30, 33 + 12));
    settle();
    EXPECT_EQ(mini.panel()->pos(), start + QPoint(-30, 12));
    EXPECT_EQ(QSettings().value("miniPlayerOriginX").toDouble(), start.x() - 30);
    EXPECT_EQ(QSettings().value("miniPlayerOriginY").toDouble(), start.y() + 12);
}

TEST_F(MiniPlayerWindowControllerTest, ExpandHidesThePanelBeforeItsAction)
{
    MiniPlayerWindowController &mini = make();
    bool panelVisibleInAction = true;
    int expanded = 0;
    mini.onExpand = [&] {
        panelVisibleInAction = mini.isVisible();
        ++expanded;
    };
    mini.show();
    mini.view()->buttons().last()->click();
    EXPECT_EQ(expanded, 1);
    EXPECT_FALSE(panelVisibleInAction);
    EXPECT_FALSE(model->isMiniPlayerVisible());
}

} // namespace
