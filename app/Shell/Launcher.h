#pragma once

#include <functional>

class MainWindow;

// Starts Quillmere: one process per user, the model on the user's data folder, the main window,
// and the quit paths (the menu, Ctrl+Q, SIGTERM, SIGHUP, the session manager) that all save the
// playback state first.
namespace Launcher {

struct Options
{
    // Called once the main window has painted for the first time (start-up measurements).
    std::function<void(MainWindow &)> onFirstPaint;
};

int run(int argc, char **argv, const Options &options = {});

} // namespace Launcher
