#include "SidebarView.h"

#include "FolderRow.h"
#include "Localization.h"
#include "SidebarEmptyRow.h"
#include "SidebarIconButton.h"
#include "SidebarRow.h"
#include "SidebarSectionHeader.h"
#include "UI/AppModel.h"
#include "UI/ThemeEnvironment.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {

constexpr int listPadding = 10;
constexpr int rowSpacing = 2;
constexpr int sectionGap = 12;

QVBoxLayout *rowList(QVBoxLayout *parent)
{
    auto *list = new QVBoxLayout;
    list->setContentsMargins(0, 0, 0, 0);
    list->setSpacing(rowSpacing);
    parent->addLayout(list);
    return list;
}

// Removes the rows of a list. Later, not now: a row may be in the middle of its own event.
void clearList(QVBoxLayout *list)
{
    while (QLayoutItem *item = list->takeAt(0)) {
        if (QWidget *row = item->widget()) {
            row->hide();
            row->deleteLater();
        }
        delete item;
    }
}

// Keyboard focus leaves whatever field held it once a dialog has closed.
void clearKeyWindowFocus()
{
    if (QWidget *keyWindow = QApplication::activeWindow()) {
        if (QWidget *focused = keyWindow->focusWidget())
            focused->clearFocus();
    }
}

} // namespace

SidebarView::SidebarView(AppModel &model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
    , m_allMusic(new SidebarRow(Icons::musicNote, L("全部音乐")))
    , m_recentlyAdded(new SidebarRow(Icons::clock, L("最近添加")))
    , m_foldersHeader(new SidebarSectionHeader(L("导入文件夹")))
    , m_playlistsHeader(new SidebarSectionHeader(L("播放列表分区")))
{
    setObjectName(QStringLiteral("sidebar"));
    setFixedWidth(sidebarWidth);
    m_foldersHeader->addPlusButton(L("导入文件夹帮助"));
    m_playlistsHeader->addPlusButton(L("新建播放列表"));

    auto *content = new QWidget;
    auto *stack = new QVBoxLayout(content);
    stack->setContentsMargins(listPadding, listPadding, listPadding, 0);
    stack->setSpacing(rowSpacing);
    stack->addWidget(new SidebarSectionHeader(L("音乐库")));
    stack->addWidget(m_allMusic);
    stack->addWidget(m_recentlyAdded);
    stack->addSpacing(sectionGap);
    stack->addWidget(m_foldersHeader);
    m_folderList = rowList(stack);
    stack->addSpacing(sectionGap);
    stack->addWidget(m_playlistsHeader);
    m_playlistList = rowList(stack);
    stack->addStretch(1);

    auto *scroll = new QScrollArea;
    scroll->setWidget(content);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The sidebar paints the background; the scroll area and the list stay see-through.
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    auto *layout = new QVBoxLayout(this);
    // Leaves the separator line at the right edge uncovered.
    layout->setContentsMargins(0, 0, 1, 0);
    layout->addWidget(scroll);

    connect(m_allMusic, &SidebarRow::clicked, this, [this] { m_model.select(LibrarySelection::allMusic()); });
    connect(m_recentlyAdded, &SidebarRow::clicked, this, [this] { m_model.select(LibrarySelection::recentlyAdded()); });
    connect(m_foldersHeader, &SidebarSectionHeader::plusClicked, this, &SidebarView::importFolders);
    connect(m_playlistsHeader, &SidebarSectionHeader::plusClicked, &m_model, &AppModel::promptCreatePlaylist);

    connect(&m_model, &AppModel::tracksChanged, this, &SidebarView::refresh);
    connect(&m_model, &AppModel::changed, this, &SidebarView::refresh);
    connect(&m_model, &AppModel::selectionChanged, this, &SidebarView::refresh);
    connect(&m_model, &AppModel::isScanningChanged, this, &SidebarView::refresh);
    refresh();
}

void SidebarView::refresh()
{
    const QList<FileLocation> &folders = m_model.library().index().folders;
    if (folders != m_shownFolders || m_folderList->count() == 0)
        rebuildFolderRows();
    QList<QUuid> playlistIDs;
    for (const Playlist &playlist : m_model.playlists().playlists())
        playlistIDs.append(playlist.id);
    if (playlistIDs != m_shownPlaylists || m_playlistList->count() == 0)
        rebuildPlaylistRows();

    const LibrarySelection &selection = m_model.selection();
    const int trackCount = int(m_model.tracks().size());
    m_allMusic->setCount(trackCount);
    m_allMusic->setSelected(selection == LibrarySelection::allMusic());
    m_recentlyAdded->setCount(trackCount);
    m_recentlyAdded->setSelected(selection == LibrarySelection::recentlyAdded());

    const bool scanning = m_model.isScanning();
    m_foldersHeader->plusButton()->setEnabled(!scanning);
    for (qsizetype i = 0; i < m_folderRows.size(); ++i) {
        FolderRow *row = m_folderRows[i];
        row->setCount(m_model.trackCount(m_shownFolders[i]));
        row->setSelected(selection == LibrarySelection::folder(m_shownFolders[i]));
        row->removeButton()->setEnabled(!scanning);
    }
    const QList<Playlist> &playlists = m_model.playlists().playlists();
    for (qsizetype i = 0; i < m_playlistRows.size(); ++i) {
        SidebarRow *row = m_playlistRows[i];
        row->setTitle(playlists[i].name);
        row->setCount(m_model.resolvableTrackCount(playlists[i]));
        row->setSelected(selection == LibrarySelection::playlist(playlists[i].id));
        row->setDropTarget(m_dropTargetID == playlists[i].id);
    }
}

void SidebarView::rebuildFolderRows()
{
    clearList(m_folderList);
    m_folderRows.clear();
    m_shownFolders = m_model.library().index().folders;
    if (m_shownFolders.isEmpty()) {
        m_folderList->addWidget(new SidebarEmptyRow(L("尚未导入文件夹")));
        return;
    }
    for (const FileLocation &folder : std::as_const(m_shownFolders)) {
        auto *row = new FolderRow(folder.fileNameText(), folder.displayPath());
        row->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(row, &FolderRow::clicked, this, [this, folder] { m_model.select(LibrarySelection::folder(folder)); });
        connect(row, &FolderRow::refreshRequested, this, [this, folder] { m_model.rescanFolder(folder); });
        connect(row, &FolderRow::removeRequested, this, [this, folder] { confirmRemoveFolder(folder); });
        connect(row, &FolderRow::customContextMenuRequested, this,
            [this, row, folder](const QPoint &position) { showMenu(row, folderMenu(folder), position); });
        m_folderList->addWidget(row);
        m_folderRows.append(row);
    }
}

void SidebarView::rebuildPlaylistRows()
{
    clearList(m_playlistList);
    m_playlistRows.clear();
    m_shownPlaylists.clear();
    const QList<Playlist> &playlists = m_model.playlists().playlists();
    if (playlists.isEmpty()) {
        m_playlistList->addWidget(new SidebarEmptyRow(L("暂无播放列表")));
        return;
    }
    for (const Playlist &playlist : playlists) {
        const QUuid id = playlist.id;
        // The name is the user's own text, shown as it is.
        auto *row = new SidebarRow(Icons::musicNoteList, playlist.name);
        row->setAcceptsTrackDrops(true);
        row->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(row, &SidebarRow::clicked, this, [this, id] { m_model.select(LibrarySelection::playlist(id)); });
        connect(row, &SidebarRow::trackDragEntered, this, [this, id] { setDropTarget(id); });
        connect(row, &SidebarRow::trackDragLeft, this, [this, id] { clearDropTarget(id); });
        connect(row, &SidebarRow::tracksDropped, this,
            [this, id](const QList<QUuid> &trackIDs) { m_model.addToPlaylist(id, trackIDs); });
        connect(row, &SidebarRow::customContextMenuRequested, this,
            [this, row, id](const QPoint &position) { showMenu(row, playlistMenu(id), position); });
        m_playlistList->addWidget(row);
        m_playlistRows.append(row);
        m_shownPlaylists.append(id);
    }
}

void SidebarView::setDropTarget(const std::optional<QUuid> &playlistID)
{
    m_dropTargetID = playlistID;
    for (qsizetype i = 0; i < m_playlistRows.size(); ++i)
        m_playlistRows[i]->setDropTarget(m_dropTargetID == m_shownPlaylists[i]);
}

void SidebarView::clearDropTarget(const QUuid &playlistID)
{
    // A row the drag leaves never clears another row's highlight.
    if (m_dropTargetID == playlistID)
        setDropTarget(std::nullopt);
}

QMenu *SidebarView::folderMenu(const FileLocation &folder)
{
    auto *menu = new QMenu(this);
    QAction *rename = menu->addAction(L("重命名文件夹…"), this, [this, folder] { promptRenameFolder(folder); });
    rename->setEnabled(!m_model.isScanning());
    return menu;
}

QMenu *SidebarView::playlistMenu(const QUuid &playlistID)
{
    auto *menu = new QMenu(this);
    menu->addAction(L("重命名"), this, [this, playlistID] { m_model.promptRenamePlaylist(playlistID); });
    menu->addAction(L("删除"), this, [this, playlistID] { m_model.confirmDeletePlaylist(playlistID); });
    return menu;
}

void SidebarView::showMenu(QWidget *row, QMenu *menu, const QPoint &position)
{
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(row->mapToGlobal(position));
}

void SidebarView::importFolders()
{
    // A cancelled panel gives an empty list, which imports nothing.
    m_model.importFolders(m_model.openFolders());
}

void SidebarView::confirmRemoveFolder(const FileLocation &folder)
{
    QMessageBox box(window());
    box.setTextFormat(Qt::PlainText);
    box.setText(Lf("从曲库移除「%@」？", folder.fileNameText()));
    box.setInformativeText(L("只会从曲库移除这个文件夹和其中的歌曲，磁盘上的音频文件不会被删除。"));
    QPushButton *remove = box.addButton(L("移除"), QMessageBox::AcceptRole);
    box.addButton(L("取消"), QMessageBox::RejectRole);
    box.setDefaultButton(remove);
    box.exec();
    clearKeyWindowFocus();
    if (box.clickedButton() == remove)
        m_model.removeFolder(folder);
}

void SidebarView::promptRenameFolder(const FileLocation &folder)
{
    QInputDialog dialog(window());
    dialog.setWindowTitle(L("重命名文件夹"));
    dialog.setLabelText(L("输入新的文件夹名称，磁盘上的音频文件不会被删除。"));
    dialog.setTextValue(folder.fileNameText());
    dialog.setOkButtonText(L("重命名"));
    dialog.setCancelButtonText(L("取消"));
    if (auto *field = dialog.findChild<QLineEdit *>()) {
        field->setPlaceholderText(L("文件夹名称"));
        field->setMinimumWidth(260);
    }
    const bool confirmed = dialog.exec() == QDialog::Accepted;
    clearKeyWindowFocus();
    // The name goes to the model exactly as typed; the model trims and checks it.
    if (confirmed)
        m_model.renameFolder(folder, dialog.textValue());
}

void SidebarView::paintEvent(QPaintEvent *)
{
    const ThemePalette palette = ThemeEnvironment::theme(this);
    QPainter painter(this);
    painter.fillRect(rect(), ThemePalette::withAlpha(palette.backgroundTop, palette.tokens.isDark ? 0.28 : 0.34));
    painter.fillRect(QRect(width() - 1, 0, 1, height()), palette.hairline);
}
