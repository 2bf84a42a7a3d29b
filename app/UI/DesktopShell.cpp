#include "DesktopShell.h"

#include <QApplication>
#include <QClipboard>
#include <QWidget>

void DesktopShell::copyToClipboard(const QString &text)
{
    QApplication::clipboard()->setText(text);
}

// Floating panels are tool windows; everything else that is shown is a main window.
void DesktopShell::hideMainWindows()
{
    for (QWidget *window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && window->windowType() != Qt::Tool && window->windowType() != Qt::Popup)
            window->hide();
    }
}
