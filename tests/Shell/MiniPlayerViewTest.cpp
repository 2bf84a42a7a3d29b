#include "GuiSupport/GuiFixture.h"
#include "GuiSupport/Screenshots.h"
#include "Views/MiniButton.h"
#include "Views/MiniPlayerSymbols.h"
#include "Views/MiniPlayerTexts.h"
#include "Views/MiniPlayerView.h"
#include "Views/MiniPositionView.h"
#include "Views/MiniProgressLineView.h"
#include "Views/MiniTitleBlock.h"

#include <QLinearGradient>
#include <QPainter>
#include <QTest>

namespace {

TEST(MiniPlayerTextsTest, TheSubtitleFollowsTheFirstRuleThatApplies)
{
    const Track jay{.title = u"晴天"_qs, .artist = u"周杰伦"_qs};
    const struct
    {
        const char *name;
        std::optional<Track> track;
        std::optional<QString> lyric;
        QString expected;
    } cases[] = {
        {"no track", std::nullopt, u"词"_qs, u"选择一首歌曲"_qs},
        {"missing file with lyrics", Track{.artist = u"周杰伦"_qs, .isMissing = true}, u"故事的小黄花"_qs, u"文件缺失"_qs},
        {"lyric line trimmed", jay, u"\u3000 故事的小黄花\n"_qs, u"故事的小黄花"_qs},
        {"blank lyric line shows the artist", jay, u"   "_qs, u"周杰伦"_qs},
        {"no lyrics", jay, std::nullopt, u"周杰伦"_qs},
        {"artist of spaces kept as it is", Track{.artist = u"  "_qs}, std::nullopt, u"  "_qs},
        {"no artist", Track{.title = u"晴天"_qs}, std::nullopt, u"未知歌手"_qs},
    };
    for (const auto &c : cases)
        EXPECT_EQ(MiniPlayerTexts::subtitle(c.track, c.lyric), c.expected) << c.name;
}

class MiniPlayerViewTest : public GuiFixture
{
protected:
    MiniPlayerView &make()
    {
        if (!model)
            buildModel();
        view = std::make_unique<MiniPlayerView>(*model, model->engine());
        theme.addRoot(view.get());
        return *view;
    }

    ~MiniPlayerViewTest() override { view.reset(); }

    std::unique_ptr<MiniPlayerView> view;
};

// The seed restores 晴天 (269.5 s) at 42.5 s without loading it.
TEST_F(MiniPlayerViewTest, TimeAndProgressFollowTheRestoredPositionUntilAFileIsLoaded)
{
    MiniPlayerView &mini = make();
    EXPECT_EQ(mini.positionView()->text(), QStringLiteral("0:43"));
    EXPECT_NEAR(mini.progressLine()->fraction(), 42.5 / 269.5, 1e-9);

    model->play(model->currentTrack()->id);
    environment.engine->setLoadedDuration(180);
    for (const auto &[position, text, fraction] :
         {std::tuple{59.5, "1:00", 59.5 / 180}, std::tuple{-2.0, "0:00", 0.0}, std::tuple{3725.0, "1:02:05", 1.0}}) {
        environment.engine->setPosition(position);
        EXPECT_EQ(mini.positionView()->text(), QString::fromLatin1(text));
        EXPECT_NEAR(mini.progressLine()->fraction(), fraction, 1e-9);
    }
}

TEST_F(MiniPlayerViewTest, NoTrackReadsNotPlaying)
{
    seedSettings([](AppSettings &settings) {
        settings.lastTrackID.reset();
        settings.lastPosition = 0;
    });
    MiniPlayerView &mini = make();
    EXPECT_EQ(mini.titleBlock()->title(), QStringLiteral("未在播放"));
    EXPECT_EQ(mini.titleBlock()->subtitle(), QStringLiteral("选择一首歌曲"));
    EXPECT_EQ(mini.positionView()->text(), QStringLiteral("0:00"));
    EXPECT_EQ(mini.progressLine()->fraction(), 0);
    for (MiniButton *button : mini.buttons())
        EXPECT_TRUE(button->isEnabled());
}

TEST_F(MiniPlayerViewTest, FiveButtonsInOrderWithTheirActions)
{
    MiniPlayerView &mini = make();
    int expanded = 0;
    mini.onExpand = [&] { ++expanded; };
    const QList<MiniButton *> buttons = mini.buttons();
    ASSERT_EQ(buttons.size(), 5);
    const QList<Icons::Symbol> symbols{Icons::backwardEnd, Icons::play, Icons::forwardEnd, Icons::textAlignLeft,
        MiniPlayerSymbols::rectangleExpandVertical};
    const QStringList help{QStringLiteral("上一首"), QStringLiteral("播放"), QStringLiteral("下一首"),
        QStringLiteral("显示歌词"), QStringLiteral("展开主窗口")};
    for (qsizetype index = 0; index < buttons.size(); ++index) {
        EXPECT_EQ(buttons[index]->symbol(), symbols[index]) << index;
        EXPECT_EQ(buttons[index]->accessibleName(), help[index]) << index;
        EXPECT_EQ(buttons[index]->width(), index == 1 ? 30 : 22) << index;
        EXPECT_EQ(buttons[index]->isPrimary(), index == 1) << index;
    }

    // Play starts the restored track where it stopped; the button turns into pause.
    buttons[1]->click();
    settle();
    EXPECT_TRUE(environment.engine->isPlaying());
    EXPECT_EQ(buttons[1]->symbol(), Icons::pause);
    EXPECT_EQ(buttons[1]->accessibleName(), QStringLiteral("暂停"));
    buttons[1]->click();
    settle();
    EXPECT_FALSE(environment.engine->isPlaying());

    const QString first = model->currentTrack()->title;
    buttons[2]->click();
    settle();
    EXPECT_NE(model->currentTrack()->title, first);
    EXPECT_EQ(mini.titleBlock()->title(), model->currentTrack()->title);
    buttons[0]->click();
    settle();
    EXPECT_EQ(model->currentTrack()->title, first);

    buttons[3]->click();
    settle();
    EXPECT_TRUE(model->isLyricsVisible());
    EXPECT_TRUE(buttons[3]->isActive());
    EXPECT_EQ(buttons[3]->accessibleName(), QStringLiteral("隐藏歌词"));
    buttons[3]->click();
    settle();
    EXPECT_FALSE(model->isLyricsVisible());
    EXPECT_FALSE(buttons[3]->isActive());

    buttons[4]->click();
    EXPECT_EQ(expanded, 1);
}

TEST_F(MiniPlayerViewTest, OnlyTheCircleOfAButtonTakesClicks)
{
    MiniPlayerView &mini = make();
    MiniButton *play = mini.buttons()[1];
    int clicks = 0;
    QObject::connect(play, &MiniButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(play, Qt::LeftButton, {}, QPoint(1, 1));
    EXPECT_EQ(clicks, 0);
    QTest::mouseClick(play, Qt::LeftButton, {}, QPoint(15, 15));
    EXPECT_EQ(clicks, 1);
}

// A desktop for the panel to float over: a bright or a dark wallpaper with a few shapes.
class Desktop : public QWidget
{
public:
    explicit Desktop(bool dark) : m_dark(dark) { resize(560, 146); }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        QLinearGradient wallpaper(0, 0, width(), height());
        wallpaper.setColorAt(0, m_dark ? QColor(0x1d, 0x22, 0x33) : QColor(0xf3, 0xe9, 0xdc));
        wallpaper.setColorAt(1, m_dark ? QColor(0x0b, 0x0d, 0x14) : QColor(0xcf, 0xe3, 0xf2));
        painter.fillRect(rect(), wallpaper);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_dark ? QColor(0x3b, 0x48, 0x70) : QColor(0xe8, 0xa8, 0x7c));
        painter.drawEllipse(QPointF(90, 30), 70, 70);
        painter.setBrush(m_dark ? QColor(0x24, 0x5a, 0x52) : QColor(0x8c, 0xc6, 0xa8));
        painter.drawEllipse(QPointF(470, 130), 90, 60);
    }

private:
    bool m_dark;
};

class MiniPlayerScreenshotTest : public MiniPlayerViewTest, public ::testing::WithParamInterface<bool>
{
};

TEST_P(MiniPlayerScreenshotTest, OverALightAndADarkDesktop)
{
    const bool dark = GetParam();
    colorScheme.setDark(dark);
    buildModel();
    model->play(model->currentTrack()->id);
    settle();
    environment.lyrics->finish(environment.lyrics->requests().size() - 1,
        ResolvedLyrics{Lyrics{{{0, QStringLiteral("故事的小黄花")}, {30, QStringLiteral("从出生那年就飘着")}}, true},
            LyricsOrigin::Sidecar, std::nullopt});
    environment.engine->setSpectrum({0.2f, 0.5f, 0.8f, 0.9f, 0.7f, 0.6f, 0.75f, 0.5f, 0.4f, 0.55f, 0.35f, 0.3f,
        0.4f, 0.25f, 0.2f, 0.3f, 0.15f, 0.2f, 0.12f, 0.1f, 0.08f, 0.1f, 0.06f, 0.05f});
    environment.engine->setPosition(83.4);
    settle();
    Desktop desktop(dark);
    theme.addRoot(&desktop);
    view = std::make_unique<MiniPlayerView>(*model, model->engine(), &desktop);
    view->move(40, 40);
    desktop.show();
    settle();
    EXPECT_EQ(view->titleBlock()->subtitle(), QStringLiteral("从出生那年就飘着"));
    const QString path = Screenshots::save(desktop, dark ? QStringLiteral("mini-player-dark") : QStringLiteral("mini-player-light"));
    EXPECT_FALSE(QImage(path).isNull());
    view.reset();
}

INSTANTIATE_TEST_SUITE_P(Appearance, MiniPlayerScreenshotTest, ::testing::Bool());

} // namespace
