#pragma once

#include <QObject>

#include <functional>

class AppModel;
class MiniPlayerWindowController;
class QSystemTrayIcon;

// The tray icon. A left click brings the main window back; its menu arrives later.
class MenuBarController : public QObject
{
    Q_OBJECT

public:
    MenuBarController(AppModel &model, MiniPlayerWindowController &miniPlayer,
        std::function<void()> showMainWindow, std::function<void()> showMiniPlayer,
        QObject *parent = nullptr);

    // Empty where the desktop has no system tray.
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }

private:
    AppModel &m_model;
    MiniPlayerWindowController &m_miniPlayer;
    std::function<void()> m_showMainWindow;
    std::function<void()> m_showMiniPlayer;
    QSystemTrayIcon *m_trayIcon = nullptr;
};
