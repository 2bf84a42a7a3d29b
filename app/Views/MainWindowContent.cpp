#include "MainWindowContent.h"

#include "UI/DragPayloads.h"
#include "DropOverlay.h"
#include "PanePlaceholder.h"
#include "TopBar.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QMimeData>
#include <QStackedWidget>

#include <utility>
#include <QVBoxLayout>

MainWindowContent::MainWindowContent(QWidget *parent)
    : AppBackground(parent)
    , m_topBar(new TopBar)
    , m_sidebar(new PanePlaceholder(QStringLiteral("sidebar")))
    , m_trackList(new PanePlaceholder(QStringLiteral("trackList")))
    , m_lyricsPage(new PanePlaceholder(QStringLiteral("lyricsPage")))
    , m_centre(new QStackedWidget)
    , m_playerBar(new PanePlaceholder(QStringLiteral("playerBar")))
    , m_dropOverlay(new DropOverlay(this))
{
    setAcceptDrops(true);
    m_sidebar->setFixedWidth(sidebarWidth);
    m_playerBar->setFixedHeight(playerBarHeight);
    m_centre->addWidget(m_trackList);
    m_centre->addWidget(m_lyricsPage);
    // The centre gives way first: below 46 + 84 points of height it shrinks to nothing.
    m_centre->setMinimumSize(0, 0);
    m_sidebar->setMinimumHeight(0);

    auto *middle = new QHBoxLayout;
    middle->setContentsMargins(0, 0, 0, 0);
    middle->setSpacing(0);
    middle->addWidget(m_sidebar);
    middle->addWidget(m_centre, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_topBar);
    layout->addLayout(middle, 1);
    layout->addWidget(m_playerBar);

    m_dropOverlay->raise();
}

void MainWindowContent::setTrackList(QWidget *trackList)
{
    replaceCentrePane(m_trackList, trackList);
}

void MainWindowContent::setLyricsPage(QWidget *lyricsPage)
{
    replaceCentrePane(m_lyricsPage, lyricsPage);
}

void MainWindowContent::replaceCentrePane(QWidget *&pane, QWidget *replacement)
{
    const bool shown = m_centre->currentWidget() == pane;
    m_centre->insertWidget(m_centre->indexOf(pane), replacement);
    m_centre->removeWidget(pane);
    delete std::exchange(pane, replacement);
    if (shown)
        m_centre->setCurrentWidget(pane);
}

void MainWindowContent::setShowsLyricsPage(bool shows)
{
    m_centre->setCurrentWidget(shows ? m_lyricsPage : m_trackList);
}

void MainWindowContent::setSidebar(QWidget *sidebar)
{
    sidebar->setMinimumHeight(0);
    delete layout()->replaceWidget(m_sidebar, sidebar);
    delete std::exchange(m_sidebar, sidebar);
}

void MainWindowContent::setPlayerBar(QWidget *playerBar)
{
    delete layout()->replaceWidget(m_playerBar, playerBar);
    delete std::exchange(m_playerBar, playerBar);
}

void MainWindowContent::dragEnterEvent(QDragEnterEvent *event)
{
    // File URLs only: a track dragged as text belongs to the sidebar and the rows.
    if (!DragPayloads::offersFileURLs(*event->mimeData()))
        return event->ignore();
    event->acceptProposedAction();
    m_dropOverlay->raise();
    m_dropOverlay->show();
}

void MainWindowContent::dragLeaveEvent(QDragLeaveEvent *)
{
    m_dropOverlay->hide();
}

void MainWindowContent::dropEvent(QDropEvent *event)
{
    m_dropOverlay->hide();
    if (!DragPayloads::offersFileURLs(*event->mimeData()))
        return event->ignore();
    event->acceptProposedAction();
    emit filesDropped(DragPayloads::fileURLValues(*event->mimeData()));
}

void MainWindowContent::resizeEvent(QResizeEvent *event)
{
    AppBackground::resizeEvent(event);
    m_dropOverlay->setGeometry(rect());
}
