#include "GuiSupport/GuiFixture.h"
#include "Organize/OrganizeUndoEntry.h"
#include "Shell/CommandMenus.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QMenu>
#include <QMenuBar>

namespace {

class CommandMenusTest : public GuiFixture
{
protected:
    struct Enabled
    {
        bool playPause, previous, next, importLyrics, restoreLyrics, retryLyrics, undoOrganize;
        friend bool operator==(const Enabled &, const Enabled &) = default;
    };

    Enabled enabledStates()
    {
        menus->updateEnabledStates();
        const auto at = [](QMenu *menu, int index) { return menu->actions().at(index)->isEnabled(); };
        return {at(menus->playbackMenu(), 0), at(menus->playbackMenu(), 1), at(menus->playbackMenu(), 2),
            at(menus->lyricsMenu(), 0), at(menus->lyricsMenu(), 1), at(menus->lyricsMenu(), 2),
            at(menus->organizeMenu(), 0)};
    }

    void build()
    {
        buildModel();
        menus = new CommandMenus(*model, menuBar);
    }

    QMenuBar menuBar;
    CommandMenus *menus = nullptr;
};

TEST_F(CommandMenusTest, MenusInOrderWithOnlyTheNamedShortcuts)
{
    build();
    QStringList titles;
    QStringList shortcuts;
    for (QAction *menu : menuBar.actions()) {
        titles << menu->text();
        for (QAction *item : menu->menu()->actions()) {
            if (!item->shortcut().isEmpty())
                shortcuts << item->text() + QLatin1Char('=') + item->shortcut().toString(QKeySequence::PortableText);
        }
    }
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Quillmere"), QStringLiteral("播放菜单"), QStringLiteral("歌词"),
                          QStringLiteral("整理")}));
    EXPECT_EQ(shortcuts, (QStringList{QStringLiteral("搜索=Ctrl+F"), QStringLiteral("设置…=Ctrl+,"),
                             QStringLiteral("退出Quillmere=Ctrl+Q")}));
}

TEST_F(CommandMenusTest, WithoutCurrentTrackNothingPlaysOrChangesLyrics)
{
    seedSettings([](AppSettings &settings) { settings.lastTrackID.reset(); });
    build();
    ASSERT_FALSE(model->currentTrack().has_value());
    EXPECT_EQ(enabledStates(), (Enabled{false, false, false, false, false, false, false}));
}

// With an organisation in the journal, its undo is offered too.
TEST_F(CommandMenusTest, ResolvingLyricsDisableOnlyRetry)
{
    const OrganizeUndoEntry entry{.items = {{.source = FileLocation::fromPath("/Music/a.flac"),
                                             .destination = FileLocation::fromPath("/Sorted/a.flac")}}};
    ASSERT_TRUE(QDir().mkpath(home.dataPath() + QStringLiteral("/undo")));
    home.writeDataFile(QStringLiteral("undo/organize.json"), QJsonDocument(QJsonArray{entry.toJson()}).toJson());
    build();
    ASSERT_TRUE(model->currentTrack().has_value());
    ASSERT_TRUE(model->lyricsState().isResolving);
    EXPECT_EQ(enabledStates(), (Enabled{true, true, true, true, false, false, true}));

    // Lyrics the user chose: restore becomes possible, and retry once nothing resolves.
    ASSERT_FALSE(environment.lyrics->requests().isEmpty());
    environment.lyrics->finish(environment.lyrics->requests().size() - 1,
        ResolvedLyrics{Lyrics{{LyricLine{0, QStringLiteral("晴天")}}, true}, LyricsOrigin::Override, std::nullopt});
    settle(100);
    ASSERT_FALSE(model->lyricsState().isResolving);
    EXPECT_EQ(enabledStates(), (Enabled{true, true, true, true, true, true, true}));
}

TEST_F(CommandMenusTest, CommandsAskTheModel)
{
    build();
    const QUuid before = model->searchFocusRequest();
    menus->applicationMenu()->actions().at(0)->trigger();
    EXPECT_NE(model->searchFocusRequest(), before);
    menus->applicationMenu()->actions().at(1)->trigger();
    EXPECT_TRUE(model->isSettingsPresented());
    // Choosing it again changes nothing and never closes the sheet.
    menus->applicationMenu()->actions().at(1)->trigger();
    EXPECT_TRUE(model->isSettingsPresented());

    QAction *playPause = menus->playbackMenu()->actions().at(0);
    playPause->trigger();
    settle();
    EXPECT_TRUE(environment.engine->isPlaying());
    playPause->trigger();
    settle();
    EXPECT_FALSE(environment.engine->isPlaying());

    // Enabled by hand: with nothing to undo the menu would grey it out.
    QAction *undo = menus->organizeMenu()->actions().at(0);
    undo->setEnabled(true);
    undo->trigger();
    EXPECT_EQ(model->statusMessage(), QStringLiteral("没有可撤销的整理。"));
}

} // namespace
