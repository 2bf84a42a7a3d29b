#pragma once

#include "UI/Icons.h"

#include <QAbstractButton>

// The square icon button of the player bar: the symbol in the accent colour, at 0.82 opacity
// until the pointer is over it, when it is full on a raised rounded fill. The whole square takes
// clicks; the tooltip doubles as the accessible name.
class PlayerIconButton : public QAbstractButton
{
    Q_OBJECT

public:
    PlayerIconButton(Icons::Symbol symbol, qreal pointSize, int side, QWidget *parent = nullptr);

    Icons::Symbol symbol() const { return m_symbol; }
    void setSymbol(Icons::Symbol symbol, qreal pointSize);
    void setHelp(const QString &help);

    bool isHovering() const { return m_hovering; }
    // Drawn as hovered while pinned (a popup that the button opened is showing).
    void setPinned(bool pinned);
    bool isHighlighted() const { return m_hovering || m_pinned; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    Icons::Symbol m_symbol;
    qreal m_pointSize;
    int m_side;
    bool m_hovering = false;
    bool m_pinned = false;
};
