#pragma once

#include "Library/TrackSort.h"

#include <QAbstractButton>

// A column title of the track list that sorts by its column. The active column is drawn
// semibold in the light accent on a tinted capsule, with a chevron for the direction.
class SortButton : public QAbstractButton
{
    Q_OBJECT

public:
    // Room the active background takes beyond the label on either side.
    static constexpr int backgroundOutset = 6;

    SortButton(const QString &title, TrackSort column, Qt::Alignment alignment, QWidget *parent = nullptr);

    TrackSort column() const { return m_column; }
    bool isActive() const { return m_active; }
    bool isAscending() const { return m_ascending; }
    void setState(bool active, bool ascending);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TrackSort m_column;
    Qt::Alignment m_alignment;
    bool m_active = false;
    bool m_ascending = true;
};
