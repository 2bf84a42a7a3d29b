#pragma once

#include "UI/Icons.h"

#include <QAbstractButton>

// A small borderless symbol button of the sidebar (the section plus buttons, a folder row's
// rescan and remove buttons), tinted with the text colour at one opacity in the dark palette and
// another in the light one, and dimmed to 0.45 of that while disabled. The whole square takes
// clicks; the tooltip doubles as the accessible name.
class SidebarIconButton : public QAbstractButton
{
    Q_OBJECT

public:
    struct Look
    {
        qreal pointSize;
        QFont::Weight weight;
        int side;
        qreal darkOpacity;
        qreal lightOpacity;
    };

    SidebarIconButton(Icons::Symbol symbol, const Look &look, const QString &help, QWidget *parent = nullptr);

    // The opacity the symbol is drawn with now.
    qreal drawnOpacity() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    Icons::Symbol m_symbol;
    Look m_look;
};
