#pragma once

#include "Settings/AppSettings.h"

// What closing does, decided from the settings as they are at that close. "Keep running when
// closed" hides the main window only where a tray icon can bring it back; without a tray the
// close quits, so no invisible process is left behind.
namespace QuitPolicy {

inline bool hidesMainWindowOnClose(const AppSettings &settings, bool trayAvailable)
{
    return settings.keepRunningOnClose && trayAvailable;
}

inline bool quitsAfterLastWindowClosed(const AppSettings &settings, bool trayAvailable)
{
    return !hidesMainWindowOnClose(settings, trayAvailable);
}

} // namespace QuitPolicy
