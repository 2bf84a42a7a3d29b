#pragma once

#include "Storage/FileLocation.h"

#include <QList>
#include <QUuid>
#include <QWidget>

#include <optional>

class AppModel;
class FolderRow;
class QMenu;
class QVBoxLayout;
class SidebarRow;
class SidebarSectionHeader;

// The left column of the main window: the two library views, the imported folders and the
// playlists, with the one the track list shows highlighted. Folders are imported, rescanned,
// renamed and removed here, playlists created, renamed, deleted and filled by dropping tracks on
// them. Its only state of its own is the playlist under a track drag; every action is a call on
// the model, and the two folder questions are dialogs it asks itself.
class SidebarView : public QWidget
{
    Q_OBJECT

public:
    static constexpr int sidebarWidth = 190;

    explicit SidebarView(AppModel &model, QWidget *parent = nullptr);

    SidebarRow *allMusicRow() const { return m_allMusic; }
    SidebarRow *recentlyAddedRow() const { return m_recentlyAdded; }
    SidebarSectionHeader *foldersHeader() const { return m_foldersHeader; }
    SidebarSectionHeader *playlistsHeader() const { return m_playlistsHeader; }
    const QList<FolderRow *> &folderRows() const { return m_folderRows; }
    const QList<SidebarRow *> &playlistRows() const { return m_playlistRows; }
    // The playlist whose row is under a track drag.
    const std::optional<QUuid> &dropTargetID() const { return m_dropTargetID; }

    // The context menus of a folder row and of a playlist row, owned by the caller.
    QMenu *folderMenu(const FileLocation &folder);
    QMenu *playlistMenu(const QUuid &playlistID);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Brings rows, counts, selection and enabled states in line with the model.
    void refresh();
    void rebuildFolderRows();
    void rebuildPlaylistRows();
    void setDropTarget(const std::optional<QUuid> &playlistID);
    void clearDropTarget(const QUuid &playlistID);
    void importFolders();
    void confirmRemoveFolder(const FileLocation &folder);
    void promptRenameFolder(const FileLocation &folder);
    void showMenu(QWidget *row, QMenu *menu, const QPoint &position);

    AppModel &m_model;
    SidebarRow *m_allMusic;
    SidebarRow *m_recentlyAdded;
    SidebarSectionHeader *m_foldersHeader;
    SidebarSectionHeader *m_playlistsHeader;
    QVBoxLayout *m_folderList;
    QVBoxLayout *m_playlistList;
    QList<FileLocation> m_shownFolders;
    QList<QUuid> m_shownPlaylists;
    QList<FolderRow *> m_folderRows;
    QList<SidebarRow *> m_playlistRows;
    std::optional<QUuid> m_dropTargetID;
};
