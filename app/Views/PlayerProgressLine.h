#pragma once

#include <QWidget>

#include <optional>

class AppModel;
class PlaybackTimeline;
class QVariantAnimation;

// The thin progress line along the top edge of the player bar: the track, the filled part and a
// round thumb, grown while the pointer is over it or dragging. A click or a drag seeks once, at
// its end. The widget starts `overhang` pixels above the line's 14-pixel band, so that the
// grown thumb, which stands out above the bar's edge, is never cut off.
class PlayerProgressLine : public QWidget
{
    Q_OBJECT

public:
    static constexpr int overhang = 8;
    static constexpr int bandHeight = 14;

    explicit PlayerProgressLine(AppModel &model, QWidget *parent = nullptr);

    bool isHovering() const { return m_hovering; }
    // The time under the pointer while dragging.
    std::optional<double> dragValue() const { return m_dragValue; }
    // The time drawn: the dragged one while dragging, else where playback stands.
    double currentTime() const;
    double fraction() const;
    // The thumb as drawn now (its growth is animated).
    QRectF thumbRect() const;
    // "0:50 / 3:20": the time drawn over the total.
    QString accessibleValue() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Thumb diameter and bar height, grown by the animated amount (0 at rest, 1 when active).
    qreal thumbDiameter() const;
    qreal barHeight() const;
    qreal lineWidth() const;
    // The time at the pointer's x, or nothing while there is no total to seek in.
    std::optional<double> timeAt(qreal x) const;
    void updateActive();
    void updateAccessibleValue();

    AppModel &m_model;
    PlaybackTimeline *m_timeline;
    bool m_hovering = false;
    std::optional<double> m_dragValue;
    qreal m_growth = 0;
    QVariantAnimation *m_growthAnimation;
};
