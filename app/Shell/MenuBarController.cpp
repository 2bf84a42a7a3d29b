#include "MenuBarController.h"

#include "Localization.h"
#include "MiniPlayerWindowController.h"
#include "UI/AppModel.h"
#include "UI/NoteIcon.h"

#include <QApplication>
#include <QIcon>
#include <QMenu>
#include <QPixmap>
#include <QSystemTrayIcon>

namespace {

// Menu texts take "&" as the mnemonic marker; titles from tags show it as written.
QString menuText(QString text)
{
    return text.replace(QLatin1Char('&'), QStringLiteral("&&"));
}

} // namespace

MenuBarController::MenuBarController(AppModel &model, MiniPlayerWindowController &miniPlayer,
    std::function<void()> showMainWindow, std::function<void()> showMiniPlayer, QObject *parent)
    : QObject(parent)
    , m_model(model)
    , m_miniPlayer(miniPlayer)
    , m_showMainWindow(std::move(showMainWindow))
    , m_showMiniPlayer(std::move(showMiniPlayer))
    , m_menu(new QMenu)
{
    m_menu->setObjectName(QStringLiteral("trayMenu"));
    connect(m_menu, &QMenu::aboutToShow, this, &MenuBarController::rebuild);
    rebuild();
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        return;
    m_trayIcon = new QSystemTrayIcon(this);
    m_trayIcon->setIcon(QIcon(QPixmap::fromImage(NoteIcon::image(22, Qt::white, 2.0))));
    m_trayIcon->setToolTip(L("Quillmere"));
    m_trayIcon->setContextMenu(m_menu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger && m_showMainWindow)
            m_showMainWindow();
    });
    m_trayIcon->show();
}

MenuBarController::~MenuBarController()
{
    delete m_menu;
}

QString MenuBarController::trackLine(const std::optional<Track> &track)
{
    if (!track)
        return L("未在播放");
    QString line = track->title;
    if (!track->artist.isEmpty())
        line += QStringLiteral(" — ") + track->artist;
    return track->isMissing ? Lf("%@（文件缺失）", line) : line;
}

void MenuBarController::rebuild()
{
    m_menu->clear();
    const auto add = [this](const QString &text, auto action, bool enabled = true) {
        QAction *item = m_menu->addAction(text);
        connect(item, &QAction::triggered, this, action);
        item->setEnabled(enabled);
        return item;
    };

    m_menu->addAction(menuText(trackLine(m_model.currentTrack())))->setEnabled(false);
    m_menu->addSeparator();
    add(m_model.isPlaying() ? L("暂停（空格）") : L("播放（空格）"), [this] { m_model.togglePlayback(); });
    add(L("上一首（⌘←）"), [this] { m_model.previous(); });
    add(L("下一首（⌘→）"), [this] { m_model.next(); });
    m_menu->addSeparator();
    if (m_miniPlayer.isVisible())
        add(L("返回主窗口"), [this] { if (m_showMainWindow) m_showMainWindow(); });
    else
        add(L("迷你模式"), [this] { if (m_showMiniPlayer) m_showMiniPlayer(); });
    m_menu->addSeparator();
    add(m_model.isLyricsVisible() ? L("隐藏歌词") : L("显示歌词"),
        [this] { m_model.setLyricsVisible(!m_model.isLyricsVisible()); });
    add(m_model.isLyricsLocked() ? L("解锁歌词") : L("锁定歌词"),
        [this] { m_model.setLyricsLocked(!m_model.isLyricsLocked()); });
    add(L("更换歌词…"), [this] { m_model.promptImportLyrics(); }, m_model.currentTrack().has_value());
    add(L("恢复自动匹配"), [this] { m_model.restoreAutomaticLyrics(); }, m_model.hasLyricsOverride());
    if (m_model.canRetryLyrics())
        add(L("重试匹配"), [this] { m_model.retryLyrics(); });
    m_menu->addSeparator();
    add(L("退出Quillmere"), [] { QApplication::quit(); })->setShortcut(QKeySequence::Quit);
}

