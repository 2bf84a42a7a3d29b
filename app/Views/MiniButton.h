#pragma once

#include "UI/Icons.h"

#include <QAbstractButton>

// A round button of the mini player. The primary one is an accent disc with the symbol in the
// text colour for the accent; the others show the symbol alone, in the accent while active,
// brighter with a raised patch behind it while hovered. Only the circle inside the square takes
// clicks. The tooltip doubles as the accessible name.
class MiniButton : public QAbstractButton
{
    Q_OBJECT

public:
    MiniButton(Icons::Symbol symbol, qreal pointSize, int side, bool isPrimary, QWidget *parent = nullptr);

    Icons::Symbol symbol() const { return m_symbol; }
    bool isPrimary() const { return m_isPrimary; }
    bool isActive() const { return m_isActive; }
    bool isHovering() const { return m_isHovering; }

    void setSymbol(Icons::Symbol symbol);
    void setHelp(const QString &help);
    void setActive(bool active);

    QSize sizeHint() const override;

protected:
    bool hitButton(const QPoint &position) const override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Icons::Symbol m_symbol;
    qreal m_pointSize;
    int m_side;
    bool m_isPrimary;
    bool m_isActive = false;
    bool m_isHovering = false;
};
