#include "SettingsSheetFixture.h"

#include "Views/AppearanceCard.h"
#include "Views/CacheCard.h"
#include "Views/LyricsSettingsCard.h"
#include "Views/TagHistoryCard.h"
#include "Views/ThemedLabel.h"

#include <QColorDialog>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

namespace {

using SettingsSheetTest = SettingsSheetFixture;

TEST_F(SettingsSheetTest, AClickInTheMainWindowClosesTheSheetAndStillLands)
{
    openSheet();
    QPointer<SettingsSheet> shown = sheet();
    ASSERT_TRUE(shown);
    EXPECT_FALSE(shown->isModal());

    // The colour dialog is a window of its own; clicks there keep the sheet.
    shown->appearanceCard()->accentWell()->click();
    QColorDialog *colours = shown->appearanceCard()->accentDialog();
    ASSERT_TRUE(colours);
    QTest::mouseClick(colours, Qt::LeftButton, {}, QPoint(5, 5));
    settle();
    EXPECT_TRUE(model->isSettingsPresented());

    QSignalSpy requested(windowButton, &QPushButton::clicked);
    QTest::mouseClick(windowButton, Qt::LeftButton);
    settle();
    EXPECT_EQ(requested.count(), 1);
    EXPECT_FALSE(model->isSettingsPresented());
    EXPECT_FALSE(shown);
}

TEST_F(SettingsSheetTest, OpensWithNothingFocusedAndClosesOnReturnApplyingTheEndpoint)
{
    SettingsSheet &shown = openSheet();
    QLineEdit *field = shown.lyricsCard()->endpointField();
    field->setFocus();
    // The sheet lets go of the focus once its opening delay has passed (late on a loaded machine).
    EXPECT_TRUE(QTest::qWaitFor([field] { return !field->hasFocus(); }, SettingsSheet::initialFocusDelay + 5000));

    field->setText(QStringLiteral("  https://lyrics.example.org/api/get "));
    // A click on the card, off the field, ends the editing.
    field->setFocus();
    QTest::mouseClick(shown.lyricsCard(), Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_FALSE(field->hasFocus());

    QTest::keyClick(&shown, Qt::Key_Return);
    settle();
    EXPECT_FALSE(model->isSettingsPresented());
    EXPECT_EQ(model->settings().lyricsEndpoint, QStringLiteral("https://lyrics.example.org/api/get"));
}

TEST_F(SettingsSheetTest, TagHistoryIsClearedOnlyWhenConfirmed)
{
    seedTagUndoEntry();
    TagHistoryCard &card = *openSheet().tagHistoryCard();
    EXPECT_EQ(card.countLabel()->text(), Lf("%d 条记录", 1));
    ASSERT_TRUE(card.clearButton()->isEnabled());

    environment.prompts->confirmAnswers = {false};
    card.clearButton()->click();
    EXPECT_EQ(model->tagUndoCount(), 1);
    EXPECT_EQ(card.notice(), std::nullopt);
    EXPECT_EQ(environment.prompts->shown.last(),
        L("清空编辑撤销记录？") + QStringLiteral(" | ") + L("清空后无法再撤销之前保存的标签修改，音频文件本身不受影响。")
            + QStringLiteral(" | ") + L("清空"));

    environment.prompts->confirmAnswers = {true};
    card.clearButton()->click();
    EXPECT_EQ(model->tagUndoCount(), 0);
    EXPECT_EQ(card.notice(), L("已清空编辑撤销记录。"));
    EXPECT_FALSE(card.clearButton()->isEnabled());
    EXPECT_FALSE(card.undoButton()->isEnabled());
    EXPECT_EQ(card.countLabel()->text(), Lf("%d 条记录", 0));
}

TEST_F(SettingsSheetTest, TagUndoRunsInTheBackgroundAndShowsItsOutcome)
{
    seedTagUndoEntry();
    TagHistoryCard &card = *openSheet().tagHistoryCard();
    card.undoButton()->click();
    EXPECT_FALSE(card.undoButton()->isEnabled());
    ASSERT_TRUE(waitFor([&] { return card.notice().has_value(); }));
    EXPECT_EQ(card.notice(), model->statusMessage());
    EXPECT_EQ(card.countLabel()->text(), Lf("%d 条记录", model->tagUndoCount()));
}

TEST_F(SettingsSheetTest, CacheCardMeasuresWhenTheSheetOpens)
{
    CacheCard &card = *openSheet().cacheCard();
    EXPECT_EQ(card.sizeLabel()->text(), L("0 MB"));
    EXPECT_FALSE(card.clearButton()->isEnabled());
    model->setSettingsPresented(false);
    settle();

    QFile cached(home.dataPath() + QStringLiteral("/transcode/0123abcd.m4a"));
    ASSERT_TRUE(cached.open(QIODevice::WriteOnly));
    cached.write(QByteArray(250'000, 'a'));
    cached.close();
    CacheCard &reopened = *openSheet().cacheCard();
    ASSERT_TRUE(waitFor([&] { return reopened.clearButton()->isEnabled(); }));
    EXPECT_EQ(reopened.sizeLabel()->text(), model->transcodeCacheSizeText());
    EXPECT_NE(reopened.sizeLabel()->text(), L("0 MB"));

    // The fake queue leaves the folder as it is; the card reports what the model says.
    const QString sizeBefore = reopened.sizeLabel()->text();
    reopened.clearButton()->click();
    EXPECT_FALSE(reopened.clearButton()->isEnabled());
    ASSERT_TRUE(waitFor([&] { return reopened.notice().has_value(); }));
    EXPECT_EQ(reopened.notice(), Lf("已清理转码缓存（%@）。", sizeBefore));
}

TEST_F(SettingsSheetTest, FindsFFmpegOnThePathWhenAskedAgain)
{
    const QString bin = home.root() + QStringLiteral("/bin");
    QDir().mkpath(bin);
    AppModelEnvironment surroundings = environment.make();
    surroundings.processEnvironment.insert(QStringLiteral("PATH"), bin);
    model = std::make_unique<AppModel>(home.dataFolder(), std::move(surroundings));
    theme.setSettings(model->settings());

    CacheCard &card = *openSheet().cacheCard();
    EXPECT_EQ(card.pathLabel()->text(), L("未找到"));
    card.redetectButton()->click();
    EXPECT_EQ(card.notice(), Lf("仍未找到 FFmpeg，请先运行 %@。", QStringLiteral("sudo apt install ffmpeg")));

    QFile stub(bin + QStringLiteral("/ffmpeg"));
    ASSERT_TRUE(stub.open(QIODevice::WriteOnly));
    stub.write("#!/bin/sh\nexit 0\n");
    stub.close();
    stub.setPermissions(stub.permissions() | QFile::ExeOwner | QFile::ExeUser);
    card.redetectButton()->click();
    EXPECT_EQ(card.notice(), Lf("已找到 FFmpeg：%@", bin + QStringLiteral("/ffmpeg")));
    EXPECT_EQ(card.pathLabel()->text(), bin + QStringLiteral("/ffmpeg"));

    // A cancelled chooser keeps the last result.
    card.chooseButton()->click();
    EXPECT_EQ(card.notice(), Lf("已找到 FFmpeg：%@", bin + QStringLiteral("/ffmpeg")));
}

} // namespace
