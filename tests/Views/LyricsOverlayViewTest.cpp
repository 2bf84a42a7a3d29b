#include "GuiSupport/GuiFixture.h"
#include "GuiSupport/OffscreenScreens.h"
#include "GuiSupport/Screenshots.h"
#include "Views/LyricLineRenderer.h"
#include "Views/LyricsOverlayToolbar.h"
#include "Views/LyricsOverlayView.h"
#include "Views/OverlayResizeGrip.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QEnterEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QTest>

namespace {

// A plain screen and, beside it, a dense one of pixel ratio 2; set before the application starts.
const bool twoDensities = useOffscreenScreens("two-densities", R"([
    {"name": "plain", "x": 0, "y": 0, "width": 1440, "height": 900, "logicalDpi": 96, "dpr": 1},
    {"name": "dense", "x": 1440, "y": 0, "width": 1440, "height": 900, "logicalDpi": 96, "dpr": 2}])");

void saveShot(const QImage &image, const QString &name)
{
    QDir().mkpath(Screenshots::folder());
    image.save(Screenshots::folder() + QLatin1Char('/') + name + QStringLiteral(".png"));
}

ResolvedLyrics lyricsOf(QList<LyricLine> lines, bool synced)
{
    return {Lyrics{std::move(lines), synced}, LyricsOrigin::Online, std::nullopt};
}

const ResolvedLyrics threeLines = lyricsOf(
    {{0, QStringLiteral("晚风吹过 the quiet harbour")}, {10, QStringLiteral("灯火一盏一盏亮起")}, {20, QStringLiteral("最后一句")}},
    true);

class LyricsOverlayViewTest : public GuiFixture
{
protected:
    LyricsOverlayView &make(int width = 560, int height = 120, qreal pixelRatio = 1)
    {
        if (!model)
            buildModel();
        // The overlay over a plain desktop, which shows through where the overlay draws nothing.
        desktop = std::make_unique<QWidget>();
        for (QScreen *screen : QGuiApplication::screens()) {
            if (screen->devicePixelRatio() == pixelRatio) {
                desktop->setScreen(screen);
                desktop->move(screen->geometry().topLeft());
            }
        }
        desktop->setAutoFillBackground(true);
        desktop->resize(width, height);
        view = std::make_unique<LyricsOverlayView>(*model, [this](int delta) { resizes.append(delta); }, desktop.get());
        theme.addRoot(desktop.get());
        view->resize(width, height);
        return *view;
    }

    // Plays the first track (its file made present) and answers its lyrics search.
    void playWithLyrics(const std::optional<ResolvedLyrics> &result, double position = 0)
    {
        playFirstTrack();
        answerLyrics(result, position);
    }

    // Searches the current track's lyrics again and answers with these.
    void answerLyrics(const std::optional<ResolvedLyrics> &result, double position = 0)
    {
        if (environment.lyrics->requests().isEmpty()
            || environment.lyrics->requests().last().promise->future().isFinished()) {
            model->retryLyrics();
            settle();
        }
        environment.lyrics->finish(environment.lyrics->requests().size() - 1, result);
        environment.engine->setPosition(position);
        settle();
    }

    void hover(bool inside)
    {
        if (inside) {
            QEnterEvent enter(QPointF(100, 50), QPointF(100, 50), QPointF(100, 50));
            QApplication::sendEvent(view.get(), &enter);
        } else {
            QEvent leave(QEvent::Leave);
            QApplication::sendEvent(view.get(), &leave);
        }
    }

    // The view drawn over a plain desktop of the given colour.
    QImage overDesktop(const QColor &desktop)
    {
        QPalette palette = this->desktop->palette();
        palette.setColor(QPalette::Window, desktop);
        this->desktop->setPalette(palette);
        return this->desktop->grab().toImage();
    }

    std::unique_ptr<QWidget> desktop;
    // Owned by the desktop; released first.
    std::unique_ptr<LyricsOverlayView> view;
    QList<int> resizes;
};

TEST_F(LyricsOverlayViewTest, FontSizeGrowsWithTheWidthBetweenItsBounds)
{
    const std::pair<int, qreal> cases[] = {{280, 18}, {320, 18}, {610, 27}, {900, 36}, {1200, 36}};
    for (const auto &[width, size] : cases) {
        view.reset();
        EXPECT_DOUBLE_EQ(make(width).fontSize(), size) << width;
    }
}

struct LineCase
{
    const char *lineMode;
    double position;
    std::optional<QString> nextText;
    QStringList expected;
};

class LineModes : public LyricsOverlayViewTest, public ::testing::WithParamInterface<LineCase>
{
};

TEST_P(LineModes, ShowTheNextLineOnlyInTwoLineModeWhenThereIsOne)
{
    const LineCase &c = GetParam();
    seedSettings([&](AppSettings &settings) { settings.lyricsLineMode = QString::fromLatin1(c.lineMode); });
    buildModel();
    make();
    ResolvedLyrics lyrics = threeLines;
    if (c.nextText)
        lyrics.lyrics.lines[1].text = *c.nextText;
    playWithLyrics(lyrics, c.position);
    EXPECT_EQ(view->shownLines(), c.expected);
}

INSTANTIATE_TEST_SUITE_P(, LineModes,
    ::testing::Values(
        LineCase{"two", 1, std::nullopt, {QStringLiteral("晚风吹过 the quiet harbour"), QStringLiteral("灯火一盏一盏亮起")}},
        LineCase{"one", 1, std::nullopt, {QStringLiteral("晚风吹过 the quiet harbour")}},
        LineCase{"other", 1, std::nullopt, {QStringLiteral("晚风吹过 the quiet harbour")}},
        LineCase{"two", 25, std::nullopt, {QStringLiteral("最后一句")}},
        LineCase{"two", 1, QString(), {QStringLiteral("晚风吹过 the quiet harbour")}}));

TEST_F(LyricsOverlayViewTest, StatusWithoutLinesAndNoActionsWithoutATrack)
{
    seedSettings([](AppSettings &settings) { settings.lastTrackID.reset(); });
    buildModel();
    ASSERT_FALSE(model->currentTrack());
    make();
    EXPECT_TRUE(view->showsStatus());
    auto *import = view->findChild<QWidget *>(QStringLiteral("importLyricsButton"));
    EXPECT_FALSE(import->isEnabled());
    EXPECT_FALSE(view->findChild<QWidget *>(QStringLiteral("retryLyricsButton"))->isEnabled());
    const QList<QAction *> actions = view->lyricsMenu()->actions();
    ASSERT_EQ(actions.size(), 3);
    for (QAction *action : actions)
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();

    playWithLyrics(lyricsOf({}, true));
    EXPECT_TRUE(view->showsStatus());
    EXPECT_TRUE(import->isEnabled());
    answerLyrics(lyricsOf({{0, QStringLiteral("一")}, {0, QStringLiteral("二")}}, false));
    EXPECT_FALSE(view->showsStatus());
    EXPECT_TRUE(view->showsPlainText());
    EXPECT_TRUE(view->shownLines().isEmpty());
}

TEST_F(LyricsOverlayViewTest, HoverBringsTheChromeOnlyWhileUnlocked)
{
    make();
    desktop->show();
    hover(true);
    EXPECT_TRUE(view->showsHoverChrome());
    EXPECT_TRUE(view->toolbar()->isVisible());
    EXPECT_TRUE(view->resizeGrip()->isVisible());
    // The chrome fades in and out; while it fades out it takes no clicks.
    EXPECT_LT(view->chromeOpacity(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->chromeOpacity() == 1; }, 2000));
    EXPECT_DOUBLE_EQ(view->resizeGrip()->opacity(), 0.55);
    hover(false);
    EXPECT_TRUE(view->toolbar()->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(view->resizeGrip()->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !view->toolbar()->isVisible() && !view->resizeGrip()->isVisible(); }, 2000));
    EXPECT_EQ(view->chromeOpacity(), 0);

    // Locking while hovered takes the chrome away at once; hovering a locked overlay brings none.
    hover(true);
    ASSERT_TRUE(view->toolbar()->isVisible());
    model->setLyricsLocked(true);
    EXPECT_TRUE(view->isHovering());
    EXPECT_FALSE(view->showsHoverChrome());
    EXPECT_FALSE(view->toolbar()->isVisible());
    EXPECT_FALSE(view->resizeGrip()->isVisible());
    hover(false);
    hover(true);
    EXPECT_FALSE(view->toolbar()->isVisible());
    EXPECT_FALSE(view->resizeGrip()->isVisible());
}

TEST_F(LyricsOverlayViewTest, TheCopiesFollowTheSettingsAndTheToolbarResizes)
{
    make();
    model->setLyricsOpacity(0.6);
    EXPECT_DOUBLE_EQ(view->opacity(), 0.6);
    desktop->show();
    hover(true);
    const QList<QAbstractButton *> buttons = view->toolbar()->findChildren<QAbstractButton *>();
    for (QAbstractButton *button : buttons) {
        if (button->toolTip() == QStringLiteral("缩小") || button->toolTip() == QStringLiteral("放大"))
            button->click();
    }
    EXPECT_EQ(resizes, (QList<int>{-40, 40}));
    auto *lineMode = view->toolbar()->findChild<QAbstractButton *>(QStringLiteral("lineModeButton"));
    EXPECT_EQ(lineMode->text(), QStringLiteral("单行"));
    lineMode->click();
    EXPECT_EQ(view->lineMode(), QStringLiteral("one"));
    EXPECT_EQ(lineMode->text(), QStringLiteral("双行"));
    EXPECT_EQ(model->settings().lyricsLineMode, QStringLiteral("one"));
}

struct OutlineCase
{
    bool darkAppearance;
    QColor desktop;
    bool outline;
    qreal pixelRatio;
};

class OutlineVisibility : public LyricsOverlayViewTest, public ::testing::WithParamInterface<OutlineCase>
{
};

// Grey (unsaturated) pixels clearly apart from the desktop: the outline's, not the coloured fill's.
int outlinePixels(const QImage &image, const QColor &desktop)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            count += pixel.hsvSaturation() < 40 && std::abs(qGray(pixel.rgb()) - qGray(desktop.rgb())) > 60;
        }
    }
    return count;
}

// A light appearance outlines in white, which shows on a black desktop; a dark one in black,
// which shows on a white desktop. Without the outline neither leaves such pixels.
TEST_P(OutlineVisibility, TheOutlineShowsOnTheDesktopItIsMeantFor)
{
    const OutlineCase &c = GetParam();
    seedSettings([&](AppSettings &settings) {
        settings.lyricsOutline = c.outline;
        settings.themeMode = c.darkAppearance ? QStringLiteral("dark") : QStringLiteral("light");
    });
    buildModel();
    make(600, 120, c.pixelRatio);
    playWithLyrics(threeLines, 11);
    ASSERT_EQ(view->shownLines().value(0), QStringLiteral("灯火一盏一盏亮起"));
    const QImage shot = overDesktop(c.desktop);
    ASSERT_EQ(shot.devicePixelRatio(), c.pixelRatio);
    saveShot(shot, QStringLiteral("lyrics-overlay-outline-%1-%2-on-%3-at-%4x")
                       .arg(c.darkAppearance ? QStringLiteral("dark") : QStringLiteral("light"),
                           c.outline ? QStringLiteral("on") : QStringLiteral("off"), c.desktop.name().mid(1))
                       .arg(c.pixelRatio));
    // Counted in device pixels.
    const qreal area = c.pixelRatio * c.pixelRatio;
    if (c.outline)
        EXPECT_GT(outlinePixels(shot, c.desktop), 500 * area);
    else
        EXPECT_LT(outlinePixels(shot, c.desktop), 50 * area);
}

INSTANTIATE_TEST_SUITE_P(, OutlineVisibility,
    ::testing::Values(OutlineCase{false, Qt::black, true, 1}, OutlineCase{false, Qt::black, false, 1},
        OutlineCase{true, Qt::white, true, 1}, OutlineCase{true, Qt::white, false, 1},
        OutlineCase{false, Qt::black, true, 2}, OutlineCase{true, Qt::white, true, 2},
        OutlineCase{true, Qt::white, false, 2}));

// The line that comes next is drawn on a worker while the current one shows; when it comes, the
// window gets it as if drawn there and then.
TEST(LyricLineRenderer, ALineDrawnAheadIsTheLineDrawnWhenItComes)
{
    LyricLineRenderer renderer;
    LyricLineStyle style;
    style.pixelSize = 24;
    style.fill = QColor(0x2f, 0x8f, 0x7f);
    style.outline = true;
    style.stroke = QColor(255, 255, 255, 158);
    const QString text = QStringLiteral("灯火一盏一盏亮起 lights along the water");
    renderer.prepare(text, style, 500, 2);
    EXPECT_FALSE(renderer.isReady(text, style, 500, 1));
    ASSERT_TRUE(QTest::qWaitFor([&] { return renderer.isReady(text, style, 500, 2); }, 10000));
    const QImage ahead = renderer.line(text, style, 500, 2).toImage();
    EXPECT_EQ(ahead.devicePixelRatio(), 2);
    EXPECT_EQ(ahead, LyricLineRenderer::draw(text, style, 500, 2).toImage());
}

// Unlocked with its chrome, at rest, locked under the pointer and outlined on a dense screen, in
// both appearances.
TEST_F(LyricsOverlayViewTest, Screenshots)
{
    for (const bool dark : {false, true}) {
        seedSettings([&](AppSettings &settings) {
            settings.themeMode = dark ? QStringLiteral("dark") : QStringLiteral("light");
            settings.lyricsOutline = false;
        });
        buildModel();
        make(600, 130);
        desktop->show();
        playWithLyrics(threeLines, 1);
        const QColor backdrop = dark ? QColor(0x20, 0x24, 0x2c) : QColor(0xf2, 0xf2, 0xf2);
        const QString scheme = dark ? QStringLiteral("dark") : QStringLiteral("light");
        hover(true);
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->chromeOpacity() == 1; }, 2000));
        saveShot(overDesktop(backdrop), QStringLiteral("lyrics-overlay-hover-%1").arg(scheme));
        hover(false);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !view->toolbar()->isVisible(); }, 2000));
        saveShot(overDesktop(backdrop), QStringLiteral("lyrics-overlay-%1").arg(scheme));
        model->setLyricsLocked(true);
        hover(true);
        saveShot(overDesktop(backdrop), QStringLiteral("lyrics-overlay-locked-%1").arg(scheme));
        model->setLyricsLocked(false);

        model->changeStoredSetting([](AppSettings &settings) { settings.lyricsOutline = true; });
        view.reset();
        desktop.reset();
        make(600, 130, 2);
        desktop->show();
        answerLyrics(threeLines, 1);
        ASSERT_EQ(view->devicePixelRatio(), 2);
        saveShot(overDesktop(dark ? Qt::white : QColor(0x30, 0x30, 0x30)), QStringLiteral("lyrics-overlay-outline-2x-%1").arg(scheme));
        view.reset();
        desktop.reset();
        model.reset();
    }
}

} // namespace
