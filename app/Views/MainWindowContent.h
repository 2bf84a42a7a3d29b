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

    // The panes it lays out; it takes them over.
    struct Panes
    {
        QWidget *sidebar;
        QWidget *trackList;
        QWidget *lyricsPage;
        // Keeps its own height, which may reach above the bar it draws.
        QWidget *playerBar;
    };

    explicit MainWindowContent(const Panes &panes, QWidget *parent = nullptr);

    TopBar *topBar() const { return m_topBar; }
    QWidget *sidebar() const { return m_sidebar; }
    QWidget *trackList() const { return m_trackList; }
    QWidget *lyricsPage() const { return m_lyricsPage; }
    QWidget *playerBar() const { return m_playerBar; }
    DropOverlay *dropOverlay() const { return m_dropOverlay; }

    // Shows the lyrics page in the centre instead of the track list.
    void setShowsLyricsPage(bool shows);

signals:
    // Also with an empty list when no item named a local file.
    void filesDropped(const QList<FileLocation> &locations);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    TopBar *m_topBar;
    QWidget *m_sidebar;
    QWidget *m_trackList;
    QWidget *m_lyricsPage;
    QStackedWidget *m_centre;
    QWidget *m_playerBar;
    DropOverlay *m_dropOverlay;
};
