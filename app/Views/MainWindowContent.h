#pragma once

#include "UI/AppBackground.h"
#include "Storage/FileLocation.h"

#include <QList>

class DropOverlay;
class QStackedWidget;
class TopBar;

// The main window's content over the themed background: the top bar, the sidebar beside the
// centre (track list or lyrics page) and the player bar. Files dragged over it dim the window
// under the drop overlay; a drop hands the file locations on in their order.
class MainWindowContent : public AppBackground
{
    Q_OBJECT

public:
    static constexpr int sidebarWidth = 190;
    static constexpr int playerBarHeight = 84;

    explicit MainWindowContent(QWidget *parent = nullptr);

    TopBar *topBar() const { return m_topBar; }
    QWidget *sidebar() const { return m_sidebar; }
    QWidget *trackList() const { return m_trackList; }
    QWidget *lyricsPage() const { return m_lyricsPage; }
    QWidget *playerBar() const { return m_playerBar; }
    DropOverlay *dropOverlay() const { return m_dropOverlay; }

    // Puts the real lyrics page in place of its stand-in.
    void setLyricsPage(QWidget *lyricsPage);
    // Shows the lyrics page in the centre instead of the track list.
    void setShowsLyricsPage(bool shows);
    // Put the real sidebar, track list and player bar in place of their stand-ins. The player bar
    // keeps its own height, which may reach above the bar it draws.
    void setSidebar(QWidget *sidebar);
    void setTrackList(QWidget *trackList);
    void setPlayerBar(QWidget *playerBar);

signals:
    // Also with an empty list when no item named a local file.
    void filesDropped(const QList<FileLocation> &locations);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // Swaps one of the centre's panes, keeping it shown when it was.
    void replaceCentrePane(QWidget *&pane, QWidget *replacement);

    TopBar *m_topBar;
    QWidget *m_sidebar;
    QWidget *m_trackList;
    QWidget *m_lyricsPage;
    QStackedWidget *m_centre;
    QWidget *m_playerBar;
    DropOverlay *m_dropOverlay;
};
