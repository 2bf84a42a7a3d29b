#include "DesktopShell.h"

#include "InterfaceLanguage.h"

#include <QApplication>
#include <QClipboard>
#include <QSettings>
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

// Read by start-up before any window exists.
void DesktopShell::applyLanguage(const QString &language)
{
    QSettings settings;
    InterfaceLanguage::store(settings, language);
}
