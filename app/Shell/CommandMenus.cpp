#include "CommandMenus.h"

#include "AppInfo.h"
#include "Localization.h"
#include "UI/AppModel.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QUuid>

CommandMenus::CommandMenus(AppModel &model, QMenuBar &menuBar)
    : QObject(&menuBar)
    , m_model(model)
    , m_applicationMenu(menuBar.addMenu(AppInfo::displayName))
    , m_playbackMenu(menuBar.addMenu(L("播放菜单")))
    , m_lyricsMenu(menuBar.addMenu(L("歌词")))
    , m_organizeMenu(menuBar.addMenu(L("整理")))
{
    QAction *search = m_applicationMenu->addAction(L("搜索"));
    search->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    connect(search, &QAction::triggered, this, [this] { m_model.setSearchFocusRequest(QUuid::createUuid()); });
    QAction *settings = m_applicationMenu->addAction(L("设置…"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->setMenuRole(QAction::NoRole);
    connect(settings, &QAction::triggered, this, [this] { m_model.setSettingsPresented(true); });
    m_applicationMenu->addSeparator();
    QAction *quit = m_applicationMenu->addAction(L("退出Quillmere"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::NoRole);
    connect(quit, &QAction::triggered, qApp, &QApplication::quit, Qt::QueuedConnection);

    m_playPause = addItem(m_playbackMenu, "播放 / 暂停（空格）");
    connect(m_playPause, &QAction::triggered, &m_model, &AppModel::togglePlayback);
    m_previous = addItem(m_playbackMenu, "上一首（⌘←）");
    connect(m_previous, &QAction::triggered, &m_model, &AppModel::previous);
    m_next = addItem(m_playbackMenu, "下一首（⌘→）");
    connect(m_next, &QAction::triggered, &m_model, &AppModel::next);
    m_importLyrics = addItem(m_lyricsMenu, "更换歌词…");
    connect(m_importLyrics, &QAction::triggered, &m_model, &AppModel::promptImportLyrics);
    m_restoreLyrics = addItem(m_lyricsMenu, "恢复自动匹配");
    connect(m_restoreLyrics, &QAction::triggered, &m_model, &AppModel::restoreAutomaticLyrics);
    m_retryLyrics = addItem(m_lyricsMenu, "重试匹配");
    connect(m_retryLyrics, &QAction::triggered, &m_model, &AppModel::retryLyrics);
    m_undoOrganize = addItem(m_organizeMenu, "撤销上次整理");
    // The model reports the outcome in its status message.
    connect(m_undoOrganize, &QAction::triggered, &m_model, [this] { m_model.undoLastOrganize(); });

    for (QMenu *menu : {m_playbackMenu, m_lyricsMenu, m_organizeMenu})
        connect(menu, &QMenu::aboutToShow, this, &CommandMenus::updateEnabledStates);
    updateEnabledStates();
}

QAction *CommandMenus::addItem(QMenu *menu, const char *title)
{
    // Titles are fixed texts without "&"; the key names in them are text only.
    return menu->addAction(L(title));
}

void CommandMenus::updateEnabledStates()
{
    const bool hasTrack = m_model.currentTrack().has_value();
    m_playPause->setEnabled(hasTrack);
    m_previous->setEnabled(hasTrack);
    m_next->setEnabled(hasTrack);
    m_importLyrics->setEnabled(hasTrack);
    m_restoreLyrics->setEnabled(m_model.lyricsState().origin == LyricsOrigin::Override);
    m_retryLyrics->setEnabled(hasTrack && !m_model.lyricsState().isResolving);
    m_undoOrganize->setEnabled(m_model.organizeUndoCount() >= 1 && !m_model.fileWorkProgress().has_value());
}

