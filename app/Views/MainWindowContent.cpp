#include "MainWindowContent.h"

#include "UI/DragPayloads.h"
#include "DropOverlay.h"
#include "TopBar.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QHBoxLayout>
#include <QMimeData>
#include <QStackedWidget>
#include <QVBoxLayout>

MainWindowContent::MainWindowContent(const Panes &panes, QWidget *parent)
    : AppBackground(parent)
    , m_topBar(new TopBar)
    , m_sidebar(panes.sidebar)
    , m_trackList(panes.trackList)
    , m_lyricsPage(panes.lyricsPage)
    , m_centre(new QStackedWidget)
    , m_playerBar(panes.playerBar)
    , m_dropOverlay(new DropOverlay(this))
{
    setAcceptDrops(true);
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

void MainWindowContent::setShowsLyricsPage(bool shows)
{
    m_centre->setCurrentWidget(shows ? m_lyricsPage : m_trackList);
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
