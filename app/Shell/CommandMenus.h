#pragma once

#include <QObject>

class AppModel;
class QAction;
class QMenu;
class QMenuBar;

// The menu bar of a main window: the application menu (search, settings, quit) and the
// playback, lyrics and organise menus. Only search (Ctrl+F), settings (Ctrl+,) and quit (Ctrl+Q)
// have shortcuts. Each item makes one call on the model; whether it is enabled is worked out
// from the model each time its menu opens.
class CommandMenus : public QObject
{
    Q_OBJECT

public:
    CommandMenus(AppModel &model, QMenuBar &menuBar);

    QMenu *applicationMenu() const { return m_applicationMenu; }
    QMenu *playbackMenu() const { return m_playbackMenu; }
    QMenu *lyricsMenu() const { return m_lyricsMenu; }
    QMenu *organizeMenu() const { return m_organizeMenu; }

    // The enabled states as the model stands now (what opening the menus shows).
    void updateEnabledStates();

private:
    QAction *addItem(QMenu *menu, const char *title);

    AppModel &m_model;
    QMenu *m_applicationMenu;
    QMenu *m_playbackMenu;
    QMenu *m_lyricsMenu;
    QMenu *m_organizeMenu;
    QAction *m_playPause = nullptr;
    QAction *m_previous = nullptr;
    QAction *m_next = nullptr;
    QAction *m_importLyrics = nullptr;
    QAction *m_restoreLyrics = nullptr;
    QAction *m_retryLyrics = nullptr;
    QAction *m_undoOrganize = nullptr;
};
