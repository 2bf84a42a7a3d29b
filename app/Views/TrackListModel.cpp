#include "TrackListModel.h"

#include "UI/AppModel.h"

TrackListModel::TrackListModel(AppModel &model, QObject *parent) : QAbstractListModel(parent), m_model(model)
{
    m_tracks = m_model.visibleTracks();
    if (m_model.currentTrack())
        m_currentID = m_model.currentTrack()->id;
    m_selectedIDs = m_model.selectedTrackIDs();
    m_isPlaying = m_model.isPlaying();
    connect(&m_model, &AppModel::visibleTracksChanged, this, &TrackListModel::reload);
    connect(&m_model, &AppModel::currentTrackChanged, this, &TrackListModel::followCurrentTrack);
    connect(&m_model, &AppModel::selectedTrackIDsChanged, this, &TrackListModel::followSelection);
    connect(&m_model, &AppModel::isPlayingChanged, this, &TrackListModel::followPlaying);
}

int TrackListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_tracks.size());
}

QVariant TrackListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_tracks.size())
        return {};
    const Track &track = m_tracks.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return track.title;
    case TrackIDRole:
        return track.id;
    case IsCurrentRole:
        return isCurrent(track);
    case IsSelectedRole:
        return isSelected(track);
    default:
        return {};
    }
}

Qt::ItemFlags TrackListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemIsDropEnabled;
}

void TrackListModel::reload()
{
    beginResetModel();
    m_tracks = m_model.visibleTracks();
    endResetModel();
}

void TrackListModel::followCurrentTrack()
{
    std::optional<QUuid> current;
    if (m_model.currentTrack())
        current = m_model.currentTrack()->id;
    if (current == m_currentID)
        return;
    QSet<QUuid> touched;
    if (m_currentID)
        touched.insert(*m_currentID);
    if (current)
        touched.insert(*current);
    m_currentID = current;
    reportRows(touched);
}

void TrackListModel::followSelection()
{
    const QSet<QUuid> &selected = m_model.selectedTrackIDs();
    // The rows that enter or leave the selection.
    QSet<QUuid> touched;
    for (const QUuid &id : selected) {
        if (!m_selectedIDs.contains(id))
            touched.insert(id);
    }
    for (const QUuid &id : std::as_const(m_selectedIDs)) {
        if (!selected.contains(id))
            touched.insert(id);
    }
    m_selectedIDs = selected;
    reportRows(touched);
}

void TrackListModel::followPlaying()
{
    if (m_isPlaying == m_model.isPlaying())
        return;
    m_isPlaying = m_model.isPlaying();
    if (m_currentID)
        reportRows({*m_currentID});
}

void TrackListModel::reportRows(const QSet<QUuid> &trackIDs)
{
    if (trackIDs.isEmpty())
        return;
    const QList<int> roles{IsCurrentRole, IsSelectedRole};
    // A track can stand in a playlist more than once, so every row is looked at.
    int runStart = -1;
    const int count = int(m_tracks.size());
    for (int row = 0; row <= count; ++row) {
        const bool touched = row < count && trackIDs.contains(m_tracks.at(row).id);
        if (touched && runStart < 0) {
            runStart = row;
        } else if (!touched && runStart >= 0) {
            emit dataChanged(index(runStart), index(row - 1), roles);
            runStart = -1;
        }
    }
}
