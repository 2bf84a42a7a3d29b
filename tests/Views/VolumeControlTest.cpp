#include "GuiSupport/GuiFixture.h"
#include "Views/VerticalVolumeSlider.h"
#include "Views/VolumeButton.h"
#include "Views/VolumeMuteButton.h"
#include "Views/VolumePopover.h"

#include <QTest>

namespace {

class VolumeControlTest : public GuiFixture
{
protected:
    VolumeButton &open()
    {
        buildModel();
        button = std::make_unique<VolumeButton>(*model);
        theme.addRoot(button.get());
        button->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(button.get()));
        return *button;
    }

    ~VolumeControlTest() override { button.reset(); }

    std::unique_ptr<VolumeButton> button;
};

TEST_F(VolumeControlTest, SymbolAndHelpFollowTheLevel)
{
    open();
    const struct
    {
        double volume;
        Icons::Symbol symbol;
        QString help;
        bool muted;
    } cases[] = {
        {0, Icons::speakerSlash, QStringLiteral("取消静音"), true},
        {0.0001, Icons::speakerSlash, QStringLiteral("取消静音"), true},
        {0.00011, Icons::speakerWave1, QStringLiteral("音量"), false},
        {0.3399, Icons::speakerWave1, QStringLiteral("音量"), false},
        {0.34, Icons::speakerWave3, QStringLiteral("音量"), false},
        {0.8, Icons::speakerWave3, QStringLiteral("音量"), false},
    };
    for (const auto &entry : cases) {
        model->setVolume(entry.volume);
        EXPECT_EQ(button->symbol(), entry.symbol) << entry.volume;
        EXPECT_EQ(button->accessibleName(), entry.help) << entry.volume;
        EXPECT_EQ(button->popover()->muteButton()->showsMuted(), entry.muted) << entry.volume;
        EXPECT_EQ(button->popover()->muteButton()->accessibleName(),
            entry.muted ? QStringLiteral("取消静音") : QStringLiteral("静音"));
    }
}

TEST_F(VolumeControlTest, MutingRemembersTheLevelThatUnmutingRestoresElseTheDefault)
{
    open();
    model->setVolume(0);
    button->toggleMute();
    EXPECT_EQ(model->volume(), 0.8) << "nothing kept";
    model->setVolume(0.5);
    button->toggleMute();
    EXPECT_EQ(model->volume(), 0);
    EXPECT_EQ(environment.engine->volume(), 0.0f);
    QTest::mouseClick(button->popover()->muteButton(), Qt::LeftButton);
    EXPECT_EQ(model->volume(), 0.5);

    // Just above the threshold counts as sound, and comes back exactly.
    model->setVolume(0.00011);
    button->toggleMute();
    EXPECT_EQ(button->lastVolume(), 0.00011);
    button->toggleMute();
    EXPECT_EQ(model->volume(), 0.00011);
    // At the threshold it is muted already: unmuting restores the level of the last mute.
    model->setVolume(0.0001);
    button->toggleMute();
    EXPECT_EQ(model->volume(), 0.00011);

    const std::pair<double, QString> percents[] = {{0.004, u"0%"_qs}, {0.005, u"1%"_qs}, {1, u"100%"_qs}};
    for (const auto &[volume, text] : percents)
        EXPECT_EQ(VolumePopover::percentText(volume), text) << volume;
}

TEST_F(VolumeControlTest, TheButtonOpensAndClosesThePopoverWhichWritesTheModel)
{
    open();
    QTest::mouseClick(button.get(), Qt::LeftButton);
    VolumePopover *popover = button->popover();
    ASSERT_TRUE(popover->isVisible());
    EXPECT_TRUE(popover->windowFlags().testFlag(Qt::Popup));
    EXPECT_TRUE(button->isHighlighted());
    EXPECT_EQ(popover->percentText(), QStringLiteral("80%"));
    EXPECT_EQ(model->volume(), 0.8) << "opening does not mute";

    // A press on the slider sets the level at its height; the text follows.
    VerticalVolumeSlider *slider = popover->slider();
    QTest::mousePress(slider, Qt::LeftButton, Qt::NoModifier, QPoint(9, 54));
    EXPECT_DOUBLE_EQ(model->volume(), 0.5);
    EXPECT_EQ(popover->percentText(), QStringLiteral("50%"));
    QMouseEvent drag(QEvent::MouseMove, QPointF(9, -30), slider->mapToGlobal(QPointF(9, -30)), Qt::NoButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(slider, &drag);
    EXPECT_EQ(model->volume(), 1);
    QTest::mouseRelease(slider, Qt::LeftButton, Qt::NoModifier, QPoint(9, 200));
    EXPECT_EQ(VerticalVolumeSlider::valueAt(200, 108), 0);
    EXPECT_EQ(VerticalVolumeSlider::valueAt(0, 0), 1) << "no height";

    QTest::mouseClick(button.get(), Qt::LeftButton);
    EXPECT_FALSE(popover->isVisible());
    EXPECT_FALSE(button->isHighlighted());
}

} // namespace
