#pragma once

#include "SidebarRow.h"

class SidebarIconButton;

// A sidebar row for one imported folder: its name and the number of library tracks inside it,
// the full path as the tooltip. While the pointer is over the row, the count gives way to a
// rescan and a remove button. A click elsewhere on the row selects the folder.
class FolderRow : public SidebarRow
{
    Q_OBJECT

public:
    FolderRow(const QString &title, const QString &path, QWidget *parent = nullptr);

    bool isHovering() const { return m_hovering; }
    SidebarIconButton *refreshButton() const { return m_refresh; }
    SidebarIconButton *removeButton() const { return m_remove; }

signals:
    void refreshRequested();
    void removeRequested();

protected:
    int trailingReserve() const override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setHovering(bool hovering);

    SidebarIconButton *m_refresh;
    SidebarIconButton *m_remove;
    bool m_hovering = false;
};
