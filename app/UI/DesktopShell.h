#pragma once

#include "ApplicationShell.h"

#include <QObject>

// The model's requests to the desktop: the clipboard, the main windows and the language kept for
// the next launch directly; the appearance as a signal for the theme environment, which owns it.
class DesktopShell final : public QObject, public ApplicationShell
{
    Q_OBJECT

public:
    using QObject::QObject;

    void applyAppearance(const QString &themeMode) override { emit appearanceRequested(themeMode); }
    void copyToClipboard(const QString &text) override;
    void hideMainWindows() override;
    void applyLanguage(const QString &language) override;

signals:
    void appearanceRequested(const QString &themeMode);
};
