#include "CoverButton.h"

#include "TrackCoverView.h"

CoverButton::CoverButton(qreal size, qreal cornerRadius, QWidget *parent)
    : QAbstractButton(parent)
    , m_cover(new TrackCoverView(size, cornerRadius, this))
{
    setFixedSize(m_cover->size());
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::NoFocus);
}

void CoverButton::setHelp(const QString &tooltip, const QString &accessibleName)
{
    setToolTip(tooltip);
    setAccessibleName(accessibleName);
}

void CoverButton::paintEvent(QPaintEvent *)
{
    // The cover paints itself.
}
