#include "FolderRow.h"

#include "Localization.h"
#include "SidebarIconButton.h"

namespace {

constexpr int buttonSide = 18;
constexpr int buttonSpacing = 8;

SidebarIconButton::Look buttonLook(qreal pointSize)
{
    return {pointSize, QFont::Normal, buttonSide, 0.6, 0.62};
}

} // namespace

FolderRow::FolderRow(const QString &title, const QString &path, QWidget *parent)
    : SidebarRow(Icons::folder, title, parent)
    , m_refresh(new SidebarIconButton(Icons::arrowClockwise, buttonLook(13), L("重新扫描此文件夹"), this))
    , m_remove(new SidebarIconButton(Icons::trash, buttonLook(11), L("移除文件夹（不删除文件）"), this))
{
    setToolTip(path.toHtmlEscaped());
    m_refresh->hide();
    m_remove->hide();
    connect(m_refresh, &SidebarIconButton::clicked, this, &FolderRow::refreshRequested);
    connect(m_remove, &SidebarIconButton::clicked, this, &FolderRow::removeRequested);
}

int FolderRow::trailingReserve() const
{
    return m_hovering ? 2 * buttonSide + buttonSpacing : 0;
}

void FolderRow::setHovering(bool hovering)
{
    m_hovering = hovering;
    m_refresh->setVisible(hovering);
    m_remove->setVisible(hovering);
    update();
}

void FolderRow::enterEvent(QEnterEvent *event)
{
    setHovering(true);
    SidebarRow::enterEvent(event);
}

void FolderRow::leaveEvent(QEvent *event)
{
    setHovering(false);
    SidebarRow::leaveEvent(event);
}

void FolderRow::resizeEvent(QResizeEvent *event)
{
    SidebarRow::resizeEvent(event);
    const int top = (height() - buttonSide) / 2;
    m_remove->move(width() - sidePadding - buttonSide, top);
    m_refresh->move(m_remove->x() - buttonSpacing - buttonSide, top);
}
