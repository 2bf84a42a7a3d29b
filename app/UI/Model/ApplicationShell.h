#pragma once

#include <QString>

// What the model asks of the application around it: the appearance, the clipboard, the windows
// and the interface language. A no-op in tests that have no windows.
class ApplicationShell
{
public:
    virtual ~ApplicationShell() = default;

    // "light", "dark", anything else follows the system.
    virtual void applyAppearance(const QString &themeMode) = 0;
    virtual void copyToClipboard(const QString &text) = 0;
    // Orders out every main window (not the floating panels).
    virtual void hideMainWindows() = 0;
    // Keeps the interface language ("zh", "en" or "system") for the next launch.
    virtual void applyLanguage(const QString &language) = 0;
};
