#pragma once

#include <QAbstractButton>

class TrackCoverView;

// A track cover that takes clicks, without any button chrome.
class CoverButton : public QAbstractButton
{
    Q_OBJECT

public:
    CoverButton(qreal size, qreal cornerRadius, QWidget *parent = nullptr);

    TrackCoverView *cover() const { return m_cover; }
    // Tooltip and accessible name may differ here, as they do for the player bar's cover.
    void setHelp(const QString &tooltip, const QString &accessibleName);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TrackCoverView *m_cover;
};
