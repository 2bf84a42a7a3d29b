#pragma once

// Gives the offscreen platform the screens described by `screensJson` (its configuration file's
// "screens" array). Must run before the application starts, e.g. from a namespace-scope initialiser.
bool useOffscreenScreens(const char *name, const char *screensJson);
