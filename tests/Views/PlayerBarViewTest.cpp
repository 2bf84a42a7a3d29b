#include "GuiSupport/GuiFixture.h"
#include "FakePanels.h"
#include "SeededTracks.h"
#include "UI/SpectrumBarsView.h"
#include "Views/CoverButton.h"
#include "Views/PlayPauseButton.h"
#include "Views/PlaybackTimeline.h"
#include "Views/PlayerBarTimes.h"
#include "Views/PlayerBarView.h"
#include "Views/PlayerIconButton.h"
#include "Views/PlayerProgressLine.h"

#include <QPaintEvent>
#include <QTest>

#include <limits>

namespace {

class PlayerBarViewTest : public GuiFixture
{
protected:
    PlayerBarView &open()
    {
        if (!model)
            buildModel();
        bar = std::make_unique<PlayerBarView>(*model);
        theme.addRoot(bar.get());
        bar->resize(900, bar->height());
        bar->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(bar.get()));
        return *bar;
    }

    // A click on the progress line at a fraction of its width, inside its band.
    void clickProgressAt(double fraction)
    {
        PlayerProgressLine *line = bar->progressLine();
        QTest::mouseClick(line, Qt::LeftButton, Qt::NoModifier,
            QPoint(qRound(fraction * line->width()), PlayerProgressLine::overhang + 5));
    }

    static void hover(QWidget *widget)
    {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(widget, &enter);
    }

    ~PlayerBarViewTest() override { bar.reset(); }

    std::unique_ptr<PlayerBarView> bar;
};

Track track(const QString &artist, const QString &album, bool missing = false)
{
    Track track;
    track.title = QStringLiteral("晴天");
    track.artist = artist;
    track.album = album;
    track.isMissing = missing;
    return track;
}

TEST(PlayerBarTexts, TitleAndSubtitleRules)
{
    const struct
    {
        std::optional<Track> track;
        QString subtitle;
    } cases[] = {
        {std::nullopt, QStringLiteral("选择一首歌曲")},
        {track(QStringLiteral("周杰伦"), QStringLiteral("叶惠美"), true), QStringLiteral("文件缺失")},
        {track(QStringLiteral("周杰伦"), QStringLiteral("叶惠美")), QStringLiteral("周杰伦 · 叶惠美")},
        {track(QString(), QStringLiteral("叶惠美")), QStringLiteral("叶惠美")},
        {track(QStringLiteral("周杰伦"), QString()), QStringLiteral("周杰伦")},
        {track(QString(), QString()), QStringLiteral(" ")},
        // Only empty texts are left out.
        {track(QStringLiteral(" "), QStringLiteral("叶惠美")), QStringLiteral("  · 叶惠美")},
    };
    for (const auto &entry : cases)
        EXPECT_EQ(PlayerBarView::subtitle(entry.track), entry.subtitle);
    EXPECT_EQ(PlayerBarView::title(std::nullopt), QStringLiteral("未在播放"));
    EXPECT_EQ(PlayerBarView::title(track({}, {})), QStringLiteral("晴天"));
}

TEST(PlayerBarTexts, ProgressFractionOnlyForAFiniteTotalAboveZero)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    constexpr double infinity = std::numeric_limits<double>::infinity();
    const struct
    {
        double current;
        double total;
        double fraction;
    } cases[] = {
        {50, 200, 0.25}, {300, 200, 1}, {-5, 200, 0}, {nan, 200, 0}, {infinity, 200, 0},
        {50, 0, 0}, {50, -1, 0}, {50, nan, 0}, {50, infinity, 0},
    };
    for (const auto &entry : cases)
        EXPECT_EQ(PlaybackTimeline::fraction(entry.current, entry.total), entry.fraction)
            << entry.current << " of " << entry.total;
    EXPECT_FALSE(PlaybackTimeline::isSeekable(infinity));
    EXPECT_FALSE(PlaybackTimeline::isSeekable(0));
}

TEST_F(PlayerBarViewTest, ModeButtonStepsThroughTheRepeatModes)
{
    open();
    const struct
    {
        PlaybackMode from;
        Icons::Symbol symbol;
        QString help;
        PlaybackMode to;
    } cases[] = {
        {PlaybackMode::Sequential, Icons::arrowRight, QStringLiteral("顺序播放"), PlaybackMode::RepeatAll},
        {PlaybackMode::RepeatAll, Icons::repeat, QStringLiteral("列表循环"), PlaybackMode::RepeatOne},
        {PlaybackMode::RepeatOne, Icons::repeatOne, QStringLiteral("单曲循环"), PlaybackMode::Shuffle},
        {PlaybackMode::Shuffle, Icons::shuffle, QStringLiteral("随机播放"), PlaybackMode::RepeatAll},
    };
    for (const auto &entry : cases) {
        model->setPlaybackMode(entry.from);
        EXPECT_EQ(bar->modeButton()->symbol(), entry.symbol);
        EXPECT_EQ(bar->modeButton()->accessibleName(), entry.help);
        QTest::mouseClick(bar->modeButton(), Qt::LeftButton);
        EXPECT_EQ(model->queue().mode(), entry.to);
    }
}

TEST_F(PlayerBarViewTest, PlayPauseAsksTheEngineAndStartsThroughTheModel)
{
    SeededTracks::createAudioFiles(home);
    open();
    ASSERT_TRUE(model->currentTrack());
    ASSERT_EQ(environment.engine->duration(), 0) << "the restored track is not loaded";
    EXPECT_EQ(bar->playPauseButton()->accessibleName(), QStringLiteral("播放"));

    // Nothing loaded: the model starts the current track.
    QTest::mouseClick(bar->playPauseButton(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(environment.engine->isPlaying());
    EXPECT_EQ(environment.engine->playCount(), 1);
    EXPECT_TRUE(bar->playPauseButton()->showsPause());
    EXPECT_EQ(bar->playPauseButton()->accessibleName(), QStringLiteral("暂停"));

    // Playing: the engine pauses, nothing is started again.
    QTest::mouseClick(bar->playPauseButton(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(environment.engine->isPlaying());
    EXPECT_EQ(environment.engine->playCount(), 1);
    EXPECT_EQ(environment.engine->loaded().size(), 1);
    EXPECT_FALSE(bar->playPauseButton()->showsPause());

    // Only the circle takes clicks.
    QTest::mouseClick(bar->playPauseButton(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    settle();
    EXPECT_FALSE(environment.engine->isPlaying());
}

TEST_F(PlayerBarViewTest, AClickAtThreeQuartersSeeksTheRestoredPosition)
{
    SeededTracks::setFirstTrackDuration(home, 200);
    seedSettings([](AppSettings &settings) { settings.lastPosition = 50; });
    open();
    PlayerProgressLine *line = bar->progressLine();
    EXPECT_DOUBLE_EQ(line->fraction(), 0.25);
    EXPECT_EQ(bar->times()->elapsedText(), QStringLiteral("0:50"));
    EXPECT_EQ(bar->times()->totalText(), QStringLiteral("3:20"));
    EXPECT_EQ(line->accessibleValue(), QStringLiteral("0:50 / 3:20"));

    clickProgressAt(0.75);
    EXPECT_DOUBLE_EQ(model->restoredPosition(), 150);
    EXPECT_FALSE(line->dragValue());
    EXPECT_EQ(bar->times()->elapsedText(), QStringLiteral("2:30"));

    // A drag follows the pointer and seeks once, at its end, clamped to the line.
    QTest::mousePress(line, Qt::LeftButton, Qt::NoModifier, QPoint(10, PlayerProgressLine::overhang + 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(-40, 12), line->mapToGlobal(QPointF(-40, 12)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(line, &move);
    EXPECT_EQ(line->dragValue(), 0.0);
    EXPECT_DOUBLE_EQ(model->restoredPosition(), 150);
    QTest::mouseRelease(line, Qt::LeftButton, Qt::NoModifier, QPoint(line->width() + 30, 12));
    EXPECT_DOUBLE_EQ(model->restoredPosition(), 200);
    EXPECT_FALSE(line->dragValue());
}

TEST_F(PlayerBarViewTest, NoTotalGivesNoSeek)
{
    seedSettings([](AppSettings &settings) {
        settings.lastTrackID.reset();
        settings.lastPosition = 0;
    });
    open();
    ASSERT_FALSE(model->currentTrack());
    clickProgressAt(0.75);
    EXPECT_EQ(model->restoredPosition(), 0);
    EXPECT_FALSE(bar->progressLine()->dragValue());
    EXPECT_EQ(bar->progressLine()->fraction(), 0);
    EXPECT_EQ(bar->times()->totalText(), QStringLiteral("0:00"));
}

TEST_F(PlayerBarViewTest, HoverGrowsTheThumbWhichIsNeverCutOff)
{
    open();
    PlayerProgressLine *line = bar->progressLine();
    EXPECT_EQ(line->thumbRect().width(), 9);
    EXPECT_TRUE(QRectF(line->rect()).contains(line->thumbRect()));

    hover(line);
    QTest::qWait(250);
    EXPECT_EQ(line->thumbRect().width(), 12);
    // At both ends of the line, inside the line and inside the bar.
    for (const double position : {0.0, 1e6}) {
        model->seek(position);
        const QRectF thumb = line->thumbRect();
        EXPECT_TRUE(QRectF(line->rect()).contains(thumb)) << position;
        EXPECT_TRUE(QRectF(bar->rect()).contains(thumb.translated(line->pos()))) << position;
        EXPECT_GE(thumb.left(), 0);
    }

    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(line, &leave);
    QTest::qWait(250);
    EXPECT_EQ(line->thumbRect().width(), 9);
}

TEST_F(PlayerBarViewTest, APositionTickRepaintsOnlyTheLineAndTheTimes)
{
    SeededTracks::createAudioFiles(home);
    open();
    QTest::mouseClick(bar->playPauseButton(), Qt::LeftButton);
    settle(50);

    // Every paint of the bar and of its controls from here on.
    struct PaintRecorder : QObject
    {
        QList<std::pair<QObject *, QRegion>> paints;
        bool eventFilter(QObject *watched, QEvent *event) override
        {
            if (event->type() == QEvent::Paint)
                paints.append({watched, static_cast<QPaintEvent *>(event)->region()});
            return false;
        }
    } recorder;
    bar->installEventFilter(&recorder);
    for (QWidget *child : bar->findChildren<QWidget *>())
        child->installEventFilter(&recorder);

    environment.engine->setPosition(61);
    settle(50);
    EXPECT_EQ(bar->times()->elapsedText(), QStringLiteral("1:01"));
    // Siblings overlapping the line or the times are painted again only where they overlap.
    const QRegion allowed = QRegion(bar->progressLine()->geometry()) + QRegion(bar->times()->geometry());
    ASSERT_FALSE(recorder.paints.isEmpty());
    for (const auto &[object, region] : recorder.paints) {
        auto *widget = static_cast<QWidget *>(object);
        const QRect painted = region.boundingRect().translated(widget == bar.get() ? QPoint() : widget->pos());
        EXPECT_TRUE(allowed.contains(painted)) << widget->metaObject()->className();
    }
}

TEST_F(PlayerBarViewTest, LyricsCoverMiniPlayerAndHoveredButtonsAndTheSpectrumStrip)
{
    seedSettings([](AppSettings &settings) { settings.showMainSpectrum = true; });
    open();
    EXPECT_EQ(bar->lyricsButton()->accessibleName(), QStringLiteral("显示歌词"));
    QTest::mouseClick(bar->lyricsButton(), Qt::LeftButton);
    EXPECT_TRUE(model->isLyricsVisible());
    EXPECT_EQ(bar->lyricsButton()->accessibleName(), QStringLiteral("隐藏歌词"));
    QTest::mouseClick(bar->lyricsButton(), Qt::LeftButton);
    EXPECT_FALSE(model->isLyricsVisible());

    EXPECT_EQ(bar->coverButton()->toolTip(), QStringLiteral("查看当前歌曲歌词"));
    QTest::mouseClick(bar->coverButton(), Qt::LeftButton);
    EXPECT_TRUE(model->showsLyricsPage());
    EXPECT_EQ(bar->coverButton()->toolTip(), QStringLiteral("返回歌曲列表"));
    EXPECT_EQ(bar->coverButton()->accessibleName(), QStringLiteral("封面，返回歌曲列表"));

    FakeMiniPlayerPanel miniPlayer;
    model->setMiniPlayer(&miniPlayer);
    QTest::mouseClick(bar->miniPlayerButton(), Qt::LeftButton);
    EXPECT_EQ(miniPlayer.showCount, 1);

    // A hovered icon button is drawn highlighted.
    PlayerIconButton *next = bar->nextButton();
    EXPECT_FALSE(next->isHighlighted());
    hover(next);
    EXPECT_TRUE(next->isHighlighted());
    const QImage look = next->grab().toImage();
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(next, &leave);
    EXPECT_FALSE(next->isHighlighted());
    EXPECT_NE(next->grab().toImage(), look);

    // The spectrum strip lies on the bar's bottom edge and lets clicks through.
    ASSERT_TRUE(bar->spectrum());
    EXPECT_TRUE(bar->spectrum()->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_EQ(bar->spectrum()->geometry().bottom(), bar->barRect().bottom());
}

} // namespace
