#pragma once

#include "Models/Track.h"

#include <QFutureWatcher>
#include <QListView>
#include <QSet>
#include <QUuid>

// The missing tracks as a list that lays out and paints only the rows in sight, so thousands of
// entries (a disconnected drive) cost no more than a few. Each row shows "title — file name",
// elided in the middle with the full path as its tooltip, and its buttons: relocate, show in the
// file manager (only while a file is at the track's path again) and remove. Which paths hold a file
// is found out off the GUI thread.
class MissingTrackList : public QListView
{
    Q_OBJECT

public:
    enum class Action { relocate, reveal, remove };

    static constexpr int rowHeight = 24;
    static constexpr int visibleRows = 8;

    explicit MissingTrackList(QWidget *parent = nullptr);

    void setTracks(const QList<Track> &tracks);
    const QList<Track> &tracks() const;

    // The button of `action` on row `row`, in the list's viewport; empty when the row has none.
    QRect actionRect(int row, Action action) const;

    QSize sizeHint() const override;

signals:
    void actionTriggered(const Track &track, MissingTrackList::Action action);

protected:
    bool viewportEvent(QEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    class Rows;
    class Delegate;

    void checkPresence();

    Rows *m_rows;
    QFutureWatcher<QSet<QUuid>> m_presence;
};
