#pragma once

#include "UI/Model/TrackSelection.h"
#include "UI/Model/VisibleTrackList.h"

#include <QAbstractListModel>
#include <QUuid>

#include <functional>

#include <optional>

class AppModel;

// The rows of the track list: positions into the application model's visible list, never copies
// of its records. A new visible list resets the rows; a change of the current track, the playing
// state or the selection reports only the rows whose look changes.
class TrackListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role { TrackIDRole = Qt::UserRole + 1, IsCurrentRole, IsSelectedRole };

    explicit TrackListModel(AppModel &model, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    const VisibleTrackList &tracks() const { return m_tracks; }
    const Track &trackAt(int row) const { return m_tracks.at(row); }
    bool isCurrent(const Track &track) const { return m_currentID == track.id; }
    bool isSelected(int row) const { return m_selection.containsRow(m_tracks, row); }
    bool isPlaying() const { return m_isPlaying; }
    // The first row of the track, or -1.
    int rowOf(const QUuid &trackID) const { return int(m_tracks.indexOf(trackID)); }

private:
    void reload();
    void followCurrentTrack();
    void followSelection();
    void followPlaying();
    // One dataChanged per run of neighbouring rows that the test picks.
    void reportRows(const std::function<bool(int row)> &touches);

    AppModel &m_model;
    VisibleTrackList m_tracks;
    std::optional<QUuid> m_currentID;
    TrackSelection m_selection;
    bool m_isPlaying = false;
};
