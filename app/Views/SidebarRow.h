#pragma once

#include "UI/Icons.h"

#include <QAbstractButton>
#include <QList>
#include <QUuid>

// One row of the sidebar: a symbol, the title (shortened in the middle when too long) and a
// count on the right. The selected row has a light accent fill and its title in the accent; a
// row under a track drag has a stronger fill and an outline. A row that takes track drops
// accepts text payloads and reports the track identifiers among them.
class SidebarRow : public QAbstractButton
{
    Q_OBJECT

public:
    static constexpr int rowHeight = 30;

    SidebarRow(Icons::Symbol symbol, const QString &title, QWidget *parent = nullptr);

    QString title() const { return m_title; }
    void setTitle(const QString &title);
    int count() const { return m_count; }
    void setCount(int count);
    bool isSelected() const { return m_selected; }
    void setSelected(bool selected);
    bool isDropTarget() const { return m_dropTarget; }
    void setDropTarget(bool dropTarget);
    void setAcceptsTrackDrops(bool accepts);

    // The fill, title colour and font weight that the state gives.
    QColor fillColour() const;
    QColor titleColour() const;
    QFont titleFont() const;
    QColor countColour() const;

    // The identifiers in a dropped text, one per line, in order; lines that are not a
    // UUID in its standard form are skipped.
    static QList<QUuid> trackIDs(const QString &text);

    QSize sizeHint() const override;

signals:
    // A text payload entered the row, or left it (also after a drop).
    void trackDragEntered();
    void trackDragLeft();
    // A drop that named at least one track.
    void tracksDropped(const QList<QUuid> &trackIDs);

protected:
    // Room kept on the right for what stands there instead of the count, or 0 for the count.
    virtual int trailingReserve() const { return 0; }

    void paintEvent(QPaintEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragLeaveEvent(QDragLeaveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    static constexpr int sidePadding = 9;

private:
    QString countText() const;

    Icons::Symbol m_symbol;
    QString m_title;
    int m_count = 0;
    bool m_selected = false;
    bool m_dropTarget = false;
};
