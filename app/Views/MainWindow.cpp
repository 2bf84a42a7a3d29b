#include "MainWindow.h"

#include "Localization.h"
#include "MainWindowContent.h"
#include "MenuStyle.h"
#include "NowPlayingLyricsView.h"
#include "PlayerBarView.h"
#include "SearchField.h"
#include "SheetPresenter.h"
#include "Shell/CommandMenus.h"
#include "SidebarView.h"
#include "TopBar.h"
#include "TrackListView.h"
#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMenuBar>
#include <QScreen>

MainWindow::MainWindow(AppModel &model, ThemeEnvironment &theme, QWidget *parent)
    : QMainWindow(parent)
    , m_model(model)
    , m_content(new MainWindowContent({new SidebarView(model), new TrackListView(model),
                                       new NowPlayingLyricsView(model), new PlayerBarView(model)}))
    , m_sheets(new SheetPresenter(model, this))
{
    setWindowTitle(L("Quillmere"));
    setCentralWidget(m_content);
    new CommandMenus(m_model, *menuBar());
    setMinimumSize(minimumContentSize + QSize(0, menuBar()->sizeHint().height()));
    resize(minimumSize());
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    theme.addRoot(this);
    connect(&theme, &ThemeEnvironment::paletteChanged, m_content->topBar()->searchField(), &SearchField::applyTheme);
    m_content->topBar()->searchField()->applyTheme();
    connect(&theme, &ThemeEnvironment::paletteChanged, this,
        [this](const ThemePalette &palette) { menuBar()->setStyleSheet(MenuStyle::menuBar(palette)); });
    menuBar()->setStyleSheet(MenuStyle::menuBar(ThemeEnvironment::theme(this)));

    connect(m_content->topBar(), &TopBar::settingsRequested, this, [this] { m_model.setSettingsPresented(true); });
    connect(m_content, &MainWindowContent::filesDropped, this,
        [this](const QList<FileLocation> &items) { m_model.importFolders(items); });
    m_content->setShowsLyricsPage(m_model.showsLyricsPage());
    connect(&m_model, &AppModel::showsLyricsPageChanged, this,
        [this] { m_content->setShowsLyricsPage(m_model.showsLyricsPage()); });
    bindSearchFocus();
    m_content->installEventFilter(this);
    // The start-up rescan waits until the window has shown something.
    connect(this, &MainWindow::firstPainted, this, &MainWindow::runStartLogic);
}

void MainWindow::bindSearchFocus()
{
    QLineEdit *field = m_content->topBar()->searchField()->lineEdit();
    field->setText(m_model.searchText());
    connect(field, &QLineEdit::textEdited, this, [this](const QString &text) { m_model.setSearchText(text); });
    connect(&m_model, &AppModel::searchTextChanged, field, [this, field] {
        if (field->text() != m_model.searchText())
            field->setText(m_model.searchText());
    });
    field->installEventFilter(this);

    connect(&m_model, &AppModel::searchFocusRequestChanged, this, [field] { field->setFocus(Qt::OtherFocusReason); });
    connect(&m_model, &AppModel::endSearchFocusRequestChanged, this, &MainWindow::endSearchFocus);
    connect(&m_model, &AppModel::isSettingsPresentedChanged, this, [this] {
        if (!m_model.isSettingsPresented())
            endSearchFocus();
    });
}

void MainWindow::endSearchFocus()
{
    m_content->topBar()->searchField()->lineEdit()->clearFocus();
    if (QWidget *keyWindow = QApplication::activeWindow()) {
        if (QWidget *focused = keyWindow->focusWidget())
            focused->clearFocus();
    }
}

void MainWindow::clearFocusWidget()
{
    if (QWidget *focused = focusWidget())
        focused->clearFocus();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_content->topBar()->searchField()->lineEdit()) {
        if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
            m_model.setSearchFocused(event->type() == QEvent::FocusIn);
    } else if (watched == m_content && event->type() == QEvent::Paint && !m_firstPaintSeen) {
        m_firstPaintSeen = true;
        // After the paint itself has finished.
        QMetaObject::invokeMethod(this, &MainWindow::firstPainted, Qt::QueuedConnection);
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    m_model.setMainWindowShown(!isMinimized());
    if (m_firstPaintSeen)
        runStartLogic();
}

void MainWindow::runStartLogic()
{
    // Once per model, however many windows are shown over it; the rescan runs in the background.
    if (!m_model.didStart())
        m_model.start();
}

void MainWindow::hideEvent(QHideEvent *event)
{
    QMainWindow::hideEvent(event);
    m_model.setMainWindowShown(false);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        m_model.setMainWindowShown(isVisible() && !isMinimized());
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    if (hidesOnClose && hidesOnClose()) {
        // Hidden, not closed: the window keeps its content and nothing is saved now.
        event->ignore();
        hide();
        return;
    }
    m_model.savePlaybackState();
    event->accept();
}
