#include "GuiSupport/GuiFixture.h"
#include "Shell/MenuBarController.h"
#include "Shell/MiniPlayerWindowController.h"

#include <QAction>
#include <QMenu>

namespace {

class MenuBarControllerTest : public GuiFixture
{
protected:
    MenuBarController &make()
    {
        if (!model)
            buildModel();
        miniPlayer = std::make_unique<MiniPlayerWindowController>(*model, theme);
        model->setMiniPlayer(miniPlayer.get());
        menuBar = std::make_unique<MenuBarController>(
            *model, *miniPlayer, [this] { ++mainShown; }, [this] { miniPlayer->show(); });
        return *menuBar;
    }

    // The rows as the menu shows them when it opens: texts, "-" for a separator, "(off)" marking
    // a disabled row.
    QStringList rows()
    {
        emit menuBar->menu()->aboutToShow();
        QStringList rows;
        for (QAction *action : menuBar->menu()->actions()) {
            if (action->isSeparator())
                rows << QStringLiteral("-");
            else
                rows << action->text() + (action->isEnabled() ? QString() : QStringLiteral(" (off)"));
        }
        return rows;
    }

    QAction *row(const QString &text)
    {
        emit menuBar->menu()->aboutToShow();
        for (QAction *action : menuBar->menu()->actions()) {
            if (action->text() == text)
                return action;
        }
        return nullptr;
    }

    // Chooses the row and lets the model's followers run.
    void choose(const QString &text)
    {
        QAction *action = row(text);
        ASSERT_NE(action, nullptr) << qPrintable(text);
        action->trigger();
        settle();
    }

    ~MenuBarControllerTest() override
    {
        menuBar.reset();
        miniPlayer.reset();
    }

    std::unique_ptr<MiniPlayerWindowController> miniPlayer;
    std::unique_ptr<MenuBarController> menuBar;
    int mainShown = 0;
};

TEST_F(MenuBarControllerTest, NoTrack)
{
    seedSettings([](AppSettings &settings) { settings.lastTrackID.reset(); });
    make();
    EXPECT_EQ(rows(), QStringList({"未在播放 (off)", "-", "播放（空格）", "上一首（Ctrl+←）", "下一首（Ctrl+→）", "-", "迷你模式", "-",
                          "显示歌词", "锁定歌词", "更换歌词… (off)", "恢复自动匹配 (off)", "-", "退出Quillmere"}));
    EXPECT_EQ(row(QStringLiteral("退出Quillmere"))->shortcut(), QKeySequence(QKeySequence::Quit));
}

// Both together: the menu over a missing file, below.
TEST(MenuBarTrackLineTest, NamesTheArtistIfAnyAndAMissingFile)
{
    EXPECT_EQ(MenuBarController::trackLine(Track{.title = u"夜晚 & 雨"_qs, .artist = u"周杰伦"_qs}), u"夜晚 & 雨 — 周杰伦"_qs);
    EXPECT_EQ(MenuBarController::trackLine(Track{.title = u"夜晚 & 雨"_qs, .isMissing = true}), u"夜晚 & 雨（文件缺失）"_qs);
}

TEST_F(MenuBarControllerTest, MissingFileOfTheCurrentTrackWithAnAmpersandInItsTitle)
{
    const QByteArray library = home.readDataFile(QStringLiteral("library.json"))
                                   .replace(R"("isMissing": false, "modifiedAt": 700000000, "title": "晴天")",
                                       R"("isMissing": true, "modifiedAt": 700000000, "title": "晴天 & 雨")");
    home.writeDataFile(QStringLiteral("library.json"), library);
    make();
    // No lyrics are looked for a missing file, so a retry is offered.
    const QStringList menu = rows();
    EXPECT_EQ(menu.first(), QStringLiteral("晴天 && 雨 — 周杰伦（文件缺失） (off)"));
    EXPECT_EQ(menu.mid(8, 5), QStringList({"显示歌词", "锁定歌词", "更换歌词…", "恢复自动匹配 (off)", "重试匹配"}));
}

TEST_F(MenuBarControllerTest, LockedLyricsCanBeUnlockedFromTheMenu)
{
    seedSettings([](AppSettings &settings) { settings.lyricsLocked = true; });
    make();
    choose(QStringLiteral("显示歌词"));
    EXPECT_TRUE(model->isLyricsVisible());
    EXPECT_EQ(rows().mid(8, 2), QStringList({"隐藏歌词", "解锁歌词"}));
    choose(QStringLiteral("解锁歌词"));
    EXPECT_FALSE(model->isLyricsLocked());
    EXPECT_EQ(rows().mid(8, 2), QStringList({"隐藏歌词", "锁定歌词"}));
}

TEST_F(MenuBarControllerTest, PlaybackRowsAndTheMiniPlayerRowAct)
{
    make();
    choose(QStringLiteral("播放（空格）"));
    EXPECT_TRUE(environment.engine->isPlaying());
    choose(QStringLiteral("暂停（空格）"));
    EXPECT_FALSE(environment.engine->isPlaying());
    const QString first = model->currentTrack()->title;
    choose(QStringLiteral("下一首（Ctrl+→）"));
    EXPECT_NE(model->currentTrack()->title, first);
    choose(QStringLiteral("上一首（Ctrl+←）"));
    EXPECT_EQ(model->currentTrack()->title, first);

    // While the mini player shows, the row offers the main window.
    choose(QStringLiteral("迷你模式"));
    EXPECT_TRUE(miniPlayer->isVisible());
    choose(QStringLiteral("返回主窗口"));
    EXPECT_EQ(mainShown, 1);
    miniPlayer->hide();
    EXPECT_NE(row(QStringLiteral("迷你模式")), nullptr);
}

} // namespace
