#include "AppDelegate.h"

#include "LyricsOverlayWindowController.h"
#include "MediaKeyController.h"
#include "MenuBarController.h"
#include "MiniPlayerWindowController.h"
#include "QuitPolicy.h"
#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"
#include "Views/MainWindow.h"

#include <QApplication>
#include <QEvent>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUuid>

AppDelegate::AppDelegate(std::unique_ptr<AppModel> model, ThemeEnvironment &theme, QObject *parent)
    : QObject(parent)
    , trayAvailable([] { return QSystemTrayIcon::isSystemTrayAvailable(); })
    , mediaKeysBus([] { return QDBusConnection::sessionBus(); })
    , m_model(std::move(model))
    , m_theme(theme)
{
    applyThemeSettings();
    connect(m_model.get(), &AppModel::changed, this, &AppDelegate::applyThemeSettings);
    connect(m_model.get(), &AppModel::settingsChanged, this, &AppDelegate::applyThemeSettings);
}

void AppDelegate::applyThemeSettings()
{
    m_theme.setSettings(m_model->library().settings());
}

AppDelegate::~AppDelegate()
{
    qApp->removeEventFilter(this);
    // The windows go before the model they show.
    for (MainWindow *window : mainWindowCandidates())
        delete window;
}

MainWindow *AppDelegate::openMainWindow()
{
    auto *window = new MainWindow(*m_model, m_theme);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->hidesOnClose = [this] {
        return QuitPolicy::hidesMainWindowOnClose(m_model->library().settings(), trayAvailable());
    };
    return window;
}

void AppDelegate::didFinishLaunching()
{
    m_miniPlayer = new MiniPlayerWindowController(*m_model, m_theme, this);
    m_miniPlayer->onExpand = [self = QPointer(this)] {
        if (self)
            self->showMainWindow();
    };
    m_model->setMiniPlayer(m_miniPlayer);

    m_model->updateSpectrumAnalysis();

    m_lyricsOverlay = new LyricsOverlayWindowController(*m_model, m_theme, this);
    m_lyricsOverlay->setLocked(m_model->isLyricsLocked());
    m_model->setLyricsOverlay(m_lyricsOverlay);

    const QPointer<AppDelegate> self(this);
    m_menuBar = new MenuBarController(*m_model, *m_miniPlayer,
        [self] { if (self) self->showMainWindow(); },
        [self] { if (self) self->showMiniPlayer(); }, this);

    m_mediaKeys = new MediaKeyController(*m_model, mediaKeysBus(), [self] { if (self) self->showMainWindow(); }, this);

    qApp->installEventFilter(this);
    QTimer::singleShot(0, this, &AppDelegate::captureMainWindow);
}

bool AppDelegate::quitsAfterLastWindowClosed() const
{
    return QuitPolicy::quitsAfterLastWindowClosed(m_model->library().settings(), trayAvailable());
}

void AppDelegate::willTerminate()
{
    m_model->savePlaybackState();
    m_model->flushPendingSaves();
}

// Menus and tooltips close all the time; they are not windows of the application in this sense.
bool AppDelegate::isTransient(const QWidget *window)
{
    const Qt::WindowType type = window->windowType();
    return type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen;
}

bool AppDelegate::isMainWindowCandidate(const QWidget *window)
{
    return qobject_cast<const MainWindow *>(window) != nullptr;
}

QList<MainWindow *> AppDelegate::mainWindowCandidates() const
{
    QList<MainWindow *> windows;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (auto *window = qobject_cast<MainWindow *>(widget))
            windows.append(window);
    }
    return windows;
}

void AppDelegate::captureMainWindow()
{
    const QList<MainWindow *> candidates = mainWindowCandidates();
    if (!candidates.isEmpty())
        m_mainWindow = candidates.first();
}

bool AppDelegate::eventFilter(QObject *watched, QEvent *event)
{
    if (!watched->isWidgetType() || !static_cast<QWidget *>(watched)->isWindow())
        return QObject::eventFilter(watched, event);
    auto *window = static_cast<QWidget *>(watched);
    if (event->type() == QEvent::WindowActivate)
        windowDidBecomeMain(window);
    // Closing any window saves the playback state; a main window decides for itself, since
    // its close may only hide it.
    else if (event->type() == QEvent::Close && !isMainWindowCandidate(window) && !isTransient(window))
        m_model->savePlaybackState();
    return QObject::eventFilter(watched, event);
}

void AppDelegate::windowDidBecomeMain(QWidget *widget)
{
    auto *window = qobject_cast<MainWindow *>(widget);
    if (!window)
        return;
    m_mainWindow = window;
    if (m_miniPlayer && m_miniPlayer->isVisible())
        m_miniPlayer->hide();
    clearFocusLater(window, 250);
}

void AppDelegate::resetSearchFocus()
{
    m_model->setSearchFocused(false);
    m_model->setEndSearchFocusRequest(QUuid::createUuid());
}

void AppDelegate::clearFocusLater(MainWindow *window, int delayMs)
{
    QTimer::singleShot(delayMs, this, [this, target = QPointer(window)] {
        if (!target)
            return;
        target->clearFocusWidget();
        resetSearchFocus();
    });
}

void AppDelegate::showMainWindow()
{
    if (m_miniPlayer)
        m_miniPlayer->hide();
    MainWindow *window = m_mainWindow;
    if (!window) {
        const QList<MainWindow *> candidates = mainWindowCandidates();
        window = candidates.isEmpty() ? nullptr : candidates.first();
    }
    if (!window) {
        // A new window becomes the main window once it is activated.
        openMainWindow()->show();
        return;
    }
    m_mainWindow = window;
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    window->raise();
    window->activateWindow();
    resetSearchFocus();
    clearFocusLater(window, 0);
    clearFocusLater(window, 500);
}

void AppDelegate::showMiniPlayer()
{
    resetSearchFocus();
    for (MainWindow *window : mainWindowCandidates())
        window->clearFocusWidget();
    for (MainWindow *window : mainWindowCandidates())
        window->hide();
    if (m_miniPlayer)
        m_miniPlayer->show();
}
