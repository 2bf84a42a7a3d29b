#pragma once

#include "UI/Model/TrackSelection.h"
#include "UI/Model/VisibleTrackList.h"

#include <QList>
#include <QMenu>
#include <QUuid>

class AppModel;

// The menu of a right-clicked track row: tag editing, mojibake repair, organising, removal from
// the library (and from the shown playlist) and adding to a playlist. Every item acts on the
// context tracks, worked out when the item is chosen: the selection as the list shows it when
// the clicked row is part of it, else the clicked track alone. Opening the menu changes nothing.
class TrackContextMenu : public QMenu
{
    Q_OBJECT

public:
    TrackContextMenu(AppModel &model, const QUuid &trackID, QWidget *parent = nullptr);

    QUuid trackID() const { return m_trackID; }
    QList<QUuid> contextTrackIDs() const;

    // The selected tracks that the list shows, in its order, when the clicked track is selected
    // (the clicked track alone when none of them is shown); otherwise the clicked track alone.
    static QList<QUuid> contextTrackIDs(const VisibleTrackList &visible, const TrackSelection &selected,
                                        const QUuid &clicked);

private:
    QAction *addItem(const QImage &symbol, const QString &title, std::function<void(const QList<QUuid> &)> run);
    void addPlaylistSection();
    void applyTheme();

    AppModel &m_model;
    QUuid m_trackID;
};
