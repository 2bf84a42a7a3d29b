#include "MenuBarController.h"

#include "AppInfo.h"
#include "UI/NoteIcon.h"

#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>

MenuBarController::MenuBarController(AppModel &model, MiniPlayerWindowController &miniPlayer,
    std::function<void()> showMainWindow, std::function<void()> showMiniPlayer, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_miniPlayer(miniPlayer)
    , m_showMainWindow(std::move(showMainWindow))
    , m_showMiniPlayer(std::move(showMiniPlayer))
{
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_trayIcon = new QSystemTrayIcon(this);
    m_trayIcon->setIcon(QIcon(QPixmap::fromImage(NoteIcon::image(22, Qt::white, 2.0))));
    m_trayIcon->setToolTip(AppInfo::displayName);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && m_showMainWindow)
            m_showMainWindow();
    });
    m_trayIcon->show();
}
