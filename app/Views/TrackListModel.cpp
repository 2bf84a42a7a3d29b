#include "TrackListModel.h"

#include "UI/AppModel.h"

#include <QVarLengthArray>

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

namespace {

// Membership in a set of identifiers, by plain comparison while the set is small: hashing an
// identifier costs more than comparing it with a few others.
class Membership
{
public:
    explicit Membership(const QSet<QUuid> &set) : m_set(set)
    {
        if (set.size() <= smallSize) {
            for (const QUuid &id : set)
                m_few.append(id);
        }
    }
    bool contains(const QUuid &id) const
    {
        if (m_set.size() > smallSize)
            return m_set.contains(id);
        return std::ranges::find(m_few, id) != m_few.end();
    }

private:
    static constexpr qsizetype smallSize = 8;
    const QSet<QUuid> &m_set;
    QVarLengthArray<QUuid, smallSize> m_few;
};

} // namespace

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
    const Membership changed(touched);
    reportRows([&changed](const QUuid &id) { return changed.contains(id); });
}

void TrackListModel::followSelection()
{
    const QSet<QUuid> previous = std::exchange(m_selectedIDs, m_model.selectedTrackIDs());
    // A row changes when it enters or leaves the selection.
    const Membership before(previous);
    const Membership after(m_selectedIDs);
    reportRows([&before, &after](const QUuid &id) { return before.contains(id) != after.contains(id); });
}

void TrackListModel::followPlaying()
{
    if (m_isPlaying == m_model.isPlaying())
        return;
    m_isPlaying = m_model.isPlaying();
    if (const std::optional<QUuid> current = m_currentID)
        reportRows([current](const QUuid &id) { return id == *current; });
}

void TrackListModel::reportRows(const std::function<bool(const QUuid &)> &touches)
{
    const QList<int> roles{IsCurrentRole, IsSelectedRole};
    // A track can stand in a playlist more than once, so every row is looked at.
    int runStart = -1;
    const int count = int(m_tracks.size());
    for (int row = 0; row <= count; ++row) {
        const bool touched = row < count && touches(m_tracks.at(row).id);
        if (touched && runStart < 0) {
            runStart = row;
        } else if (!touched && runStart >= 0) {
            emit dataChanged(index(runStart), index(row - 1), roles);
            runStart = -1;
        }
    }
}
