#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

class AppModel;
class LyricsOverlayWindowController;
class MainWindow;
class MediaKeyController;
class MenuBarController;
class MiniPlayerWindowController;
class ThemeEnvironment;
class QWidget;

// Owns the model and the shell's controllers for the life of the process. After launch it
// creates the mini player, the desktop lyrics, the tray icon and the media keys in that order,
// follows which window is the main window, brings it back on request, switches to the mini
// player, and applies the quit rule.
class AppDelegate : public QObject
{
    Q_OBJECT

public:
    AppDelegate(std::unique_ptr<AppModel> model, ThemeEnvironment &theme, QObject *parent = nullptr);
    ~AppDelegate() override;

    AppModel &model() const { return *m_model; }

    // Decides whether a close hides and whether the last close quits; the system tray by default.
    std::function<bool()> trayAvailable;
    // The bus the media keys are offered on; the session bus by default.
    std::function<QDBusConnection()> mediaKeysBus;

    // A new main window over the model (the window group's "new window").
    MainWindow *openMainWindow();
    // The launch sequence, once the first main window exists.
    void didFinishLaunching();
    void showMainWindow();
    void showMiniPlayer();
    // The first main-window candidate becomes the main window.
    void captureMainWindow();
    // Saves the playback state on the way out.
    void willTerminate();
    // The windows' palette from the theme settings as they stand now.
    void applyThemeSettings();
    bool quitsAfterLastWindowClosed() const;

    MainWindow *mainWindow() const { return m_mainWindow; }
    MiniPlayerWindowController *miniPlayer() const { return m_miniPlayer; }
    LyricsOverlayWindowController *lyricsOverlay() const { return m_lyricsOverlay; }
    MenuBarController *menuBar() const { return m_menuBar; }
    MediaKeyController *mediaKeys() const { return m_mediaKeys; }

    static bool isMainWindowCandidate(const QWidget *window);
    static bool isTransient(const QWidget *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void windowDidBecomeMain(QWidget *window);
    void resetSearchFocus();
    void clearFocusLater(MainWindow *window, int delayMs);
    QList<MainWindow *> mainWindowCandidates() const;

    std::unique_ptr<AppModel> m_model;
    ThemeEnvironment &m_theme;
    QPointer<MainWindow> m_mainWindow;
    MiniPlayerWindowController *m_miniPlayer = nullptr;
    LyricsOverlayWindowController *m_lyricsOverlay = nullptr;
    MenuBarController *m_menuBar = nullptr;
    MediaKeyController *m_mediaKeys = nullptr;
};
