#include "SettingsSheetFixture.h"

#include "Views/LyricsSettingsCard.h"
#include "Views/SegmentedPicker.h"
#include "Views/ThemedLabel.h"

#include "Library/IndexStore.h"

#include <QAbstractButton>
#include <QCheckBox>

#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

namespace {

struct EndpointCase
{
    const char *name;
    std::optional<QString> stored;
    QString typed;
    std::optional<QString> expectedStored;
    QString expectedField;
    bool refused;
};

class EndpointTest : public SettingsSheetFixture, public ::testing::WithParamInterface<EndpointCase>
{
};

TEST_P(EndpointTest, ReturnAppliesTheField)
{
    const EndpointCase &example = GetParam();
    seedSettings([&](AppSettings &settings) { settings.lyricsEndpoint = example.stored; });
    LyricsSettingsCard &card = *openSheet().lyricsCard();
    EXPECT_EQ(card.endpointField()->text(), example.stored.value_or(QString()));

    card.endpointField()->setText(example.typed);
    QTest::keyClick(card.endpointField(), Qt::Key_Return);
    EXPECT_EQ(model->settings().lyricsEndpoint, example.expectedStored);
    EXPECT_EQ(card.endpointField()->text(), example.expectedField);
    EXPECT_EQ(!card.endpointNotice()->isHidden(), example.refused);
    EXPECT_EQ(card.endpointNotice()->text(), example.refused ? L("歌词源地址无效，请输入 http 或 https 链接。") : QString());
    // Return stays with the field.
    EXPECT_TRUE(model->isSettingsPresented());
}

const QString stored = QStringLiteral("https://old.example.org/api/get");

INSTANTIATE_TEST_SUITE_P(Fields, EndpointTest,
    ::testing::Values(EndpointCase{"SpacesMeanTheDefault", stored, QStringLiteral("   "), std::nullopt, QString(), false},
        EndpointCase{"TrimmedValid", std::nullopt, QStringLiteral("  http://lrc.example.net/get \n"),
            QStringLiteral("http://lrc.example.net/get"), QStringLiteral("http://lrc.example.net/get"), false},
        EndpointCase{"OtherScheme", stored, QStringLiteral("ftp://lrc.example.net"), stored,
            QStringLiteral("ftp://lrc.example.net"), true},
        EndpointCase{"NoHost", std::nullopt, QStringLiteral("https://"), std::nullopt, QStringLiteral("https://"), true}),
    [](const auto &info) { return std::string(info.param.name); });

using LyricsSettingsCardTest = SettingsSheetFixture;

TEST_F(LyricsSettingsCardTest, ResetClearsFieldAndNoticeAndIsOnlyOfferedWithSomethingToReset)
{
    LyricsSettingsCard &card = *openSheet().lyricsCard();
    EXPECT_FALSE(card.resetEndpointButton()->isEnabled());
    card.endpointField()->setText(QStringLiteral("x"));
    EXPECT_TRUE(card.resetEndpointButton()->isEnabled());
    QTest::keyClick(card.endpointField(), Qt::Key_Return);
    ASSERT_FALSE(card.endpointNotice()->isHidden());

    card.resetEndpointButton()->click();
    EXPECT_TRUE(card.endpointField()->text().isEmpty());
    EXPECT_TRUE(card.endpointNotice()->isHidden());
    EXPECT_EQ(model->settings().lyricsEndpoint, std::nullopt);
    EXPECT_FALSE(card.resetEndpointButton()->isEnabled());
}

class OpacitySliderTest : public SettingsSheetFixture
{
protected:
    // Real timing: the save waits for the value to rest 0.3 s.
    OpacitySliderTest() { environment.timeScale = 1.0; }
};

TEST_F(OpacitySliderTest, SavesOnceAfterTheLastMove)
{
    LyricsSettingsCard &card = *openSheet().lyricsCard();
    settle(400);
    const QByteArray before = home.readDataFile(QStringLiteral("settings.json"));
    for (int value : {300, 420, 555}) {
        card.opacitySlider()->setValue(value);
        settle(100);
    }
    EXPECT_DOUBLE_EQ(model->settings().lyricsOpacity, 0.555);
    EXPECT_EQ(card.opacityText()->text(), QStringLiteral("56%"));
    // Still resting: nothing written yet.
    EXPECT_EQ(home.readDataFile(QStringLiteral("settings.json")), before);
    EXPECT_TRUE(waitFor([&] {
        return home.readDataFile(QStringLiteral("settings.json")).contains("\"lyricsOpacity\": 0.555");
    }));
}

TEST_F(LyricsSettingsCardTest, SwitchesAndLineModeStoreTheirSettings)
{
    seedSettings([](AppSettings &settings) { settings.lyricsLineMode = QStringLiteral("three"); });
    LyricsSettingsCard &card = *openSheet().lyricsCard();
    EXPECT_EQ(card.lineModePicker()->value(), QString());

    card.lineModePicker()->segment(QStringLiteral("one"))->click();
    EXPECT_EQ(model->settings().lyricsLineMode, QStringLiteral("one"));
    card.outlineSwitch()->click();
    EXPECT_TRUE(model->settings().lyricsOutline);
    ASSERT_TRUE(card.onlineSwitch()->isChecked());
    card.onlineSwitch()->click();
    EXPECT_FALSE(model->settings().onlineLyricsEnabled);

    // Written with the rest of the record, off the GUI thread.
    model->flushPendingSaves();
    const AppSettings saved = IndexStore(home.dataFolder()).loadSettings();
    EXPECT_EQ(saved.lyricsLineMode, QStringLiteral("one"));
    EXPECT_TRUE(saved.lyricsOutline);
    EXPECT_FALSE(saved.onlineLyricsEnabled);
}

} // namespace
