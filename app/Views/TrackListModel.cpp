#include "TrackListModel.h"

#include "UI/AppModel.h"

TrackListModel::TrackListModel(AppModel &model, QObject *parent) : QAbstractListModel(parent), m_model(model)
{
    m_tracks = m_model.visibleTracks();
    if (m_model.currentTrack())
        m_currentID = m_model.currentTrack()->id;
    m_selection = m_model.selectedTrackIDs();
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
        return isSelected(index.row());
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
    const std::optional<QUuid> previous = std::exchange(m_currentID, current);
    reportRows([this, &previous, &current](int row) {
        const QUuid &id = m_tracks.at(row).id;
        return id == previous || id == current;
    });
}

void TrackListModel::followSelection()
{
    const TrackSelection previous = std::exchange(m_selection, m_model.selectedTrackIDs());
    // A row changes when it enters or leaves the selection.
    const std::vector<bool> before = previous.rowsOf(m_tracks);
    const std::vector<bool> after = m_selection.rowsOf(m_tracks);
    reportRows([&before, &after](int row) { return before[size_t(row)] != after[size_t(row)]; });
}

void TrackListModel::followPlaying()
{
    if (m_isPlaying == m_model.isPlaying())
        return;
    m_isPlaying = m_model.isPlaying();
    if (const std::optional<QUuid> current = m_currentID)
        reportRows([this, current](int row) { return m_tracks.at(row).id == *current; });
}

void TrackListModel::reportRows(const std::function<bool(int row)> &touches)
{
    const QList<int> roles{IsCurrentRole, IsSelectedRole};
    // A track can stand in a playlist more than once, so every row is looked at.
    int runStart = -1;
    const int count = int(m_tracks.size());
    for (int row = 0; row <= count; ++row) {
        const bool touched = row < count && touches(row);
        if (touched && runStart < 0) {
            runStart = row;
        } else if (!touched && runStart >= 0) {
            emit dataChanged(index(runStart), index(row - 1), roles);
            runStart = -1;
        }
    }
}
