#include "AudioFixture.h"
#include "GuiSupport/GuiFixture.h"
#include "GuiSupport/Screenshots.h"
#include "SeededTracks.h"
#include "Views/CoverButton.h"
#include "Views/LyricsEmptyState.h"
#include "Views/LyricsListLayout.h"
#include "Views/LyricsListView.h"
#include "Views/LyricsOriginBadge.h"
#include "Views/LyricsPageBackdrop.h"
#include "Views/LyricsPageButton.h"
#include "Views/MainWindow.h"
#include "Views/NowPlayingLyricsView.h"
#include "Views/TrackCoverView.h"

#include <QFontMetricsF>
#include <QTest>
#include <QWheelEvent>

namespace {

const QStringList sunnyDay = {
    QStringLiteral("故事的小黄花"), QStringLiteral("从出生那年就飘着"), QStringLiteral("童年的荡秋千"),
    QStringLiteral("随记忆一直晃到现在"), QStringLiteral("Re So So Si Do Si La"), QStringLiteral("So La Si Si Si Si La Si La So"),
    QStringLiteral("吹着前奏望着天空"), QStringLiteral("我想起花瓣试着掉落"), QStringLiteral("为你翘课的那一天"),
    QStringLiteral("花落的那一天"), QStringLiteral("教室的那一间"), QStringLiteral("我怎么看不见"),
    QStringLiteral("消失的下雨天"), QStringLiteral("我好想再淋一遍"), QString(),
    QStringLiteral("没想到失去的勇气我还留着"), QStringLiteral("好想再问一遍"), QStringLiteral("你会等待还是离开"),
};

Lyrics lyrics(const QStringList &texts, bool synced)
{
    Lyrics result;
    result.isSynced = synced;
    for (qsizetype i = 0; i < texts.size(); ++i)
        result.lines.append(LyricLine { synced ? 10.0 + 4 * i : 0.0, texts.at(i) });
    return result;
}

Lyrics numberedLines(int count)
{
    QStringList texts;
    for (int i = 0; i < count; ++i)
        texts.append(QStringLiteral("第 %1 行：刮风这天我试过握着你手").arg(i));
    return lyrics(texts, true);
}

class NowPlayingLyricsViewTest : public GuiFixture
{
protected:
    ~NowPlayingLyricsViewTest() override
    {
        window.reset();
        page.reset();
    }

    NowPlayingLyricsView &open(QSize size = QSize(900, 560))
    {
        if (!model)
            buildModel();
        page = std::make_unique<NowPlayingLyricsView>(*model);
        theme.addRoot(page.get());
        page->resize(size);
        page->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(page.get()));
        settle();
        return *page;
    }

    // Answers the model's latest lyrics search.
    void answer(const std::optional<ResolvedLyrics> &result)
    {
        ASSERT_FALSE(environment.lyrics->requests().isEmpty());
        environment.lyrics->finish(environment.lyrics->requests().size() - 1, result);
        settle();
    }
    void answer(const Lyrics &lines, LyricsOrigin origin = LyricsOrigin::Online)
    {
        answer(ResolvedLyrics { lines, origin, std::nullopt });
    }
    // Searches again and answers.
    void retryWith(const std::optional<ResolvedLyrics> &result)
    {
        model->retryLyrics();
        answer(result);
    }

    void playAt(double seconds)
    {
        environment.engine->setPosition(seconds);
        settle();
    }

    // Distance of the current row's middle from the list's middle, in pixels.
    qreal currentRowOffCentre() const
    {
        LyricsListView *list = page->lyricsList();
        return std::abs(list->rowRect(*list->currentRow()).center().y() - list->height() / 2.0);
    }

    void waitForScroll()
    {
        LyricsListView *list = page->lyricsList();
        settle(); // the scroll starts on the next turn
        ASSERT_TRUE(QTest::qWaitFor([list] { return !list->isScrollAnimating(); }, 3000));
        settle();
    }

    std::unique_ptr<NowPlayingLyricsView> page;
    std::unique_ptr<MainWindow> window;
};

// Every row lies where summing the heights before it puts it: after wrapping, after a row's exact
// height arrives and after a wider page.
TEST(LyricsListLayoutRules, RowsLieWhereTheHeightsBeforeThemPutThem)
{
    const QFont font;
    const QFontMetricsF metrics(font);
    const qreal line = metrics.height();
    const QList<QString> texts{QStringLiteral("短"), QString(), QStringLiteral("一行很长很长的歌词会在窄的宽度下折成好几行才能放下"),
                               QStringLiteral("Re So So Si Do Si La")};
    LyricsListLayout layout;
    layout.setLines(texts, font);
    layout.setWidth(metrics.horizontalAdvance(texts[3]));
    const auto expectRowsInPlace = [&] {
        qreal top = LyricsListLayout::verticalPadding;
        EXPECT_EQ(layout.rowAt(0), 0);
        for (qsizetype row = 0; row < layout.count(); ++row) {
            SCOPED_TRACE(row);
            EXPECT_DOUBLE_EQ(layout.rowTop(row), top);
            const qreal next = top + layout.rowHeight(row) + LyricsListLayout::rowSpacing;
            EXPECT_EQ(layout.rowAt(top), row);
            EXPECT_EQ(layout.rowAt(next - 0.5), row);
            top = next;
        }
        EXPECT_EQ(layout.rowAt(top), layout.count());
        EXPECT_DOUBLE_EQ(layout.contentHeight(), top - LyricsListLayout::rowSpacing + LyricsListLayout::verticalPadding);
    };

    EXPECT_EQ(layout.rowHeight(1), line); // an empty line keeps a line's height
    EXPECT_EQ(layout.rowHeight(3), line); // a line that fits exactly does not wrap
    EXPECT_GE(layout.rowHeight(2), LyricsListLayout::heightOf(2, line));
    expectRowsInPlace();
    layout.setRowHeight(1, 40);
    expectRowsInPlace();
    layout.setWidth(10000);
    EXPECT_EQ(layout.rowHeight(2), line);
    expectRowsInPlace();

    LyricsListLayout empty;
    EXPECT_EQ(empty.rowAt(500), 0);
    EXPECT_DOUBLE_EQ(empty.contentHeight(), 2 * LyricsListLayout::verticalPadding);
}

TEST(NowPlayingLyricsViewRules, Subtitle)
{
    const auto track = [](const QString &artist, const QString &album) {
        Track result;
        result.artist = artist;
        result.album = album;
        return std::optional(result);
    };
    const std::pair<std::optional<Track>, QString> cases[] = {
        { std::nullopt, QStringLiteral("选择一首歌曲") },
        { track(QStringLiteral("周杰伦"), QStringLiteral("叶惠美")), QStringLiteral("周杰伦 · 叶惠美") },
        { track(QStringLiteral("周杰伦"), QString()), QStringLiteral("周杰伦") },
        { track(QString(), QStringLiteral("叶惠美")), QStringLiteral("叶惠美") },
        { track(QString(), QString()), QStringLiteral(" ") },
    };
    for (const auto &[given, subtitle] : cases)
        EXPECT_EQ(NowPlayingLyricsView::subtitle(given), subtitle) << subtitle.toStdString();
}

TEST_F(NowPlayingLyricsViewTest, WithoutTrackEverythingWaitsForOne)
{
    seedSettings([](AppSettings &settings) { settings.lastTrackID.reset(); });
    open();
    EXPECT_EQ(page->titleText(), QStringLiteral("未在播放"));
    EXPECT_EQ(page->subtitleText(), QStringLiteral("选择一首歌曲"));
    EXPECT_FALSE(page->importButton()->isEnabled());
    EXPECT_FALSE(page->retryButton()->isEnabled());
    EXPECT_FALSE(page->showsLyricsList());
    EXPECT_EQ(page->emptyState()->title(), QStringLiteral("暂无歌词"));
    EXPECT_FALSE(page->emptyState()->retryButton()->isEnabled());
    EXPECT_FALSE(page->emptyState()->importButton()->isEnabled());
    EXPECT_FALSE(page->backdrop()->cover().has_value());
    Screenshots::save(*page, QStringLiteral("lyrics-page-no-track"));
}

TEST_F(NowPlayingLyricsViewTest, ColumnsBadgeAndActionsFollowTheLyricsState)
{
    open();
    EXPECT_EQ(page->titleText(), QStringLiteral("晴天"));
    // Searching: the retry waits, the import is offered.
    EXPECT_FALSE(page->showsLyricsList());
    EXPECT_EQ(page->emptyState()->title(), QStringLiteral("正在匹配歌词…"));
    EXPECT_EQ(page->emptyState()->message(), QStringLiteral("正在查找同名歌词与在线来源"));
    EXPECT_FALSE(page->emptyState()->retryButton()->isEnabled());
    EXPECT_TRUE(page->emptyState()->importButton()->isEnabled());
    EXPECT_EQ(page->importButton()->text(), QStringLiteral("导入歌词…"));
    EXPECT_FALSE(page->retryButton()->isEnabled());
    EXPECT_FALSE(page->restoreButton()->isVisible());
    EXPECT_FALSE(page->originBadge()->isVisible());

    // Nothing found, or lyrics without lines.
    answer(std::nullopt);
    for (const std::optional<ResolvedLyrics> &result :
        { std::optional<ResolvedLyrics>(), std::optional(ResolvedLyrics { Lyrics { {}, true }, LyricsOrigin::Online, {} }) }) {
        retryWith(result);
        EXPECT_FALSE(page->showsLyricsList());
        EXPECT_EQ(page->emptyState()->title(), QStringLiteral("暂无歌词"));
        EXPECT_EQ(page->emptyState()->message(), QStringLiteral("可以重试匹配，或导入本地歌词文件"));
        EXPECT_TRUE(page->emptyState()->retryButton()->isEnabled());
        if (!result) {
            EXPECT_FALSE(page->originBadge()->isVisible());
        }
    }

    // Plain lyrics: every line alike, no current line, never scrolled.
    retryWith(ResolvedLyrics { lyrics(sunnyDay, false), LyricsOrigin::Online, std::nullopt });
    EXPECT_TRUE(page->showsLyricsList());
    EXPECT_FALSE(page->lyricsList()->currentRow().has_value());
    playAt(60);
    settle(50);
    EXPECT_EQ(page->lyricsList()->scrollOffset(), 0);
    EXPECT_EQ(page->importButton()->text(), QStringLiteral("更换歌词…"));
    EXPECT_TRUE(page->retryButton()->isEnabled()) << "retry stays available while lyrics are shown";

    // Each origin has its badge; only an override can be restored. A search for the same track
    // keeps the lines and only disables the retry.
    const std::pair<LyricsOrigin, QString> origins[] = { { LyricsOrigin::Override, QStringLiteral("覆盖歌词") },
        { LyricsOrigin::Sidecar, QStringLiteral("本地歌词") }, { LyricsOrigin::Online, QStringLiteral("在线歌词") } };
    for (const auto &[origin, label] : origins) {
        model->retryLyrics();
        settle();
        EXPECT_FALSE(page->retryButton()->isEnabled());
        EXPECT_TRUE(page->showsLyricsList());
        answer(lyrics(sunnyDay, true), origin);
        ASSERT_TRUE(page->originBadge()->isVisible());
        EXPECT_EQ(page->originBadge()->label(), label);
        EXPECT_EQ(page->originBadge()->accessibleName(), QStringLiteral("歌词来源：") + label);
        EXPECT_EQ(page->restoreButton()->isVisible(), origin == LyricsOrigin::Override);
    }

    // Synced lyrics before the first line: line 0 is current. An empty line keeps a line's height.
    playAt(0);
    EXPECT_EQ(page->lyricsList()->currentRow(), 0);
    EXPECT_GT(page->lyricsList()->layout().rowHeight(sunnyDay.indexOf(QString())), 12);

    // The buttons reach the model.
    const qsizetype searches = environment.lyrics->requests().size();
    QTest::mouseClick(page->retryButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(environment.lyrics->requests().size(), searches + 1);
    QTest::mouseClick(page->backButton(), Qt::LeftButton);
    EXPECT_TRUE(model->showsLyricsPage());
}

TEST_F(NowPlayingLyricsViewTest, CurrentLineEndsCentredAndUserScrollStopsTheAnimation)
{
    open();
    answer(numberedLines(80));
    LyricsListView *list = page->lyricsList();
    playAt(10 + 4 * 30);
    ASSERT_EQ(list->currentRow(), 30);
    waitForScroll();
    EXPECT_LE(currentRowOffCentre(), 2.0);

    // Past the end the last line is current.
    playAt(10000);
    EXPECT_EQ(list->currentRow(), 79);

    // A wheel turn during the scroll takes over.
    playAt(10 + 4 * 50);
    settle();
    ASSERT_TRUE(list->isScrollAnimating());
    const QPoint inside = list->rect().center();
    QWheelEvent wheel(inside, list->mapToGlobal(inside), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
        Qt::NoScrollPhase, false);
    QApplication::sendEvent(list, &wheel);
    EXPECT_FALSE(list->isScrollAnimating());
    settle(LyricsListView::scrollMilliseconds + 100);
    EXPECT_GT(currentRowOffCentre(), 20.0);

    // So does a drag.
    playAt(10 + 4 * 20);
    settle();
    ASSERT_TRUE(list->isScrollAnimating());
    QTest::mousePress(list, Qt::LeftButton, {}, inside);
    EXPECT_FALSE(list->isScrollAnimating());
    QTest::mouseMove(list, inside + QPoint(0, 80));
    QTest::mouseRelease(list, Qt::LeftButton, {}, inside + QPoint(0, 80));
}

TEST_F(NowPlayingLyricsViewTest, ANewTrackScrollsToItsLineAtOnce)
{
    open();
    answer(numberedLines(80));
    playAt(10 + 4 * 40);
    waitForScroll();
    model->next();
    settle();
    ASSERT_NE(model->currentTrack()->id, QUuid(QString::fromLatin1(SeededTracks::firstTrackID)));
    answer(numberedLines(120));
    playAt(10 + 4 * 60);
    waitForScroll();
    EXPECT_LE(currentRowOffCentre(), 2.0);
}

TEST_F(NowPlayingLyricsViewTest, PageFortyPixelsHighLaysOutWithoutOverlap)
{
    open(QSize(900, 40));
    answer(lyrics(sunnyDay, true));
    EXPECT_EQ(page->leftColumn()->height(), 0);
    EXPECT_EQ(page->rightColumn()->height(), 0);
    EXPECT_GE(page->leftColumn()->y(), page->header()->geometry().bottom());
    EXPECT_LT(page->leftColumn()->geometry().right(), page->rightColumn()->x());
    EXPECT_FALSE(page->grab().isNull());
    page->resize(120, 40); // narrower than the left column
    EXPECT_GE(page->rightColumn()->width(), 0);
    EXPECT_FALSE(page->grab().isNull());
}

TEST_F(NowPlayingLyricsViewTest, CoverFillsBackdropAndButton)
{
    SeededTracks::setFirstTrackCover(home);
    open();
    ASSERT_TRUE(page->backdrop()->cover().has_value());
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return !page->backdrop()->coverImage().isNull() && !page->coverButton()->cover()->image().isNull();
    }, 5000));
    // Blurred at a small size and scaled up to the page.
    const QImage blurred = page->backdrop()->coverImage();
    EXPECT_GE(blurred.width(), 900);
    const QRgb a = blurred.pixel(blurred.width() / 2, blurred.height() / 2);
    const QRgb b = blurred.pixel(blurred.width() / 2 + 1, blurred.height() / 2);
    EXPECT_LE(std::abs(qRed(a) - qRed(b)), 4);
}

// The page in the window with synced lyrics and a cover, in both appearances, to be looked at.
TEST_F(NowPlayingLyricsViewTest, Screenshots)
{
    SeededTracks::setFirstTrackCover(home);
    // The track's file exists, so the start-up rescan keeps it playable.
    ASSERT_FALSE(AudioFixture::makeTone(home.musicPath() + QStringLiteral("/华语"), QStringLiteral("晴天.mp3"), 60.0, 1000,
        { QStringLiteral("-metadata"), QStringLiteral("title=晴天"), QStringLiteral("-metadata"),
            QStringLiteral("artist=周杰伦"), QStringLiteral("-metadata"), QStringLiteral("album=叶惠美") })
                     .isEmpty());
    buildModel();
    window = std::make_unique<MainWindow>(*model, theme);
    window->resize(1180, 760);
    model->toggleLyricsPage();
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // The first show starts the model, whose rescan finds the track again.
    ASSERT_TRUE(QTest::qWaitFor([this] { return model->didStart() && !model->isScanning(); }, 5000));
    settle(100);
    model->retryLyrics();
    answer(lyrics(sunnyDay, true));
    playAt(10 + 4 * 7 + 1);
    auto *pageInWindow = window->findChild<NowPlayingLyricsView *>();
    ASSERT_TRUE(pageInWindow);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pageInWindow->backdrop()->coverImage().isNull(); }, 5000));
    settle(600);
    Screenshots::save(*window, QStringLiteral("lyrics-page-light"));
    colorScheme.setDark(true);
    settle(600);
    Screenshots::save(*window, QStringLiteral("lyrics-page-dark"));
}

} // namespace
