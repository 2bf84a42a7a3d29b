#pragma once

#include "Organize/OrganizePlanItem.h"

#include <QAbstractScrollArea>
#include <QList>

// The rows of the organizer's preview table, painted: only the rows in view are laid out and
// drawn, so a plan of ten thousand files scrolls as lightly as one of ten. Each row shows the
// source path, an arrow and the destination path, each on at most two lines shortened in the
// middle, with a badge under a destination whose name was numbered.
class OrganizerPlanRows : public QAbstractScrollArea
{
    Q_OBJECT

public:
    explicit OrganizerPlanRows(QWidget *parent = nullptr);

    // `planned` false while no plan has arrived yet: nothing is shown, not even the empty note.
    void setItems(const QList<OrganizePlanItem> &items, bool planned = true);
    const QList<OrganizePlanItem> &items() const { return m_items; }
    // Row index under a point of the viewport, or -1.
    int rowAt(int viewportY) const;
    // The full text of a row, also its hover help.
    QString helpText(int row) const;

    static constexpr int horizontalPadding = 12;
    static constexpr int verticalPadding = 8;
    static constexpr int columnSpacing = 10;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool viewportEvent(QEvent *event) override;

private:
    // Up to two lines that fit the width: the head of the text, then the rest shortened in the middle.
    QStringList lines(const QString &text, int width) const;
    int columnWidth() const;
    int destinationWidth() const;
    // Row heights depend on the items only, not on the width.
    void layoutRows();
    void updateScrollRange();
    void paintRow(QPainter &painter, int row, int top) const;

    QList<OrganizePlanItem> m_items;
    bool m_planned = false;
    // m_rowTops[i] is where row i starts; the last entry is the total height.
    QList<int> m_rowTops;
};
