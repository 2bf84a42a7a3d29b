#pragma once

#include <QObject>

#include <functional>
#include <optional>

class AppModel;
class MiniPlayerWindowController;
class QMenu;
class QSystemTrayIcon;
struct Track;

// The tray icon and its playback menu. The menu is built afresh each time it is about to open,
// so every title and enabled state shows the model as it is at that moment. A left click on the
// icon brings the main window back.
class MenuBarController : public QObject
{
    Q_OBJECT

public:
    MenuBarController(AppModel &model, MiniPlayerWindowController &miniPlayer,
        std::function<void()> showMainWindow, std::function<void()> showMiniPlayer,
        QObject *parent = nullptr);
    ~MenuBarController() override;

    QMenu *menu() const { return m_menu; }
    // Empty where the desktop has no system tray.
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    // Fills the menu from the model's state now; runs whenever the menu is about to show.
    void rebuild();

    // The first row: "未在播放", else "title — artist" (the artist only when there is one), marked
    // when the file is missing.
    static QString trackLine(const std::optional<Track> &track);

private:
    AppModel &m_model;
    MiniPlayerWindowController &m_miniPlayer;
    std::function<void()> m_showMainWindow;
    std::function<void()> m_showMiniPlayer;
    QMenu *m_menu;
    QSystemTrayIcon *m_trayIcon = nullptr;
};
