#pragma once

#include "Library/TrackSort.h"

#include <QList>
#include <QWidget>

class SortButton;

// The row of column titles over the track rows; each title sorts by its column. Its cells line
// up with the rows' cells below.
class SortBar : public QWidget
{
    Q_OBJECT

public:
    explicit SortBar(QWidget *parent = nullptr);

    // No column is active while `sortsColumns` is false (a playlist in its own order).
    void setState(TrackSort sort, bool ascending, bool sortsColumns);
    SortButton *button(TrackSort column) const;

signals:
    void sortRequested(TrackSort column);

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void layoutButtons();

    QList<SortButton *> m_buttons;
};
