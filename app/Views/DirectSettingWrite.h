#pragma once

#include "Settings/AppSettings.h"

#include <functional>

class AppModel;

// The settings switches that need nothing but the stored value (row style, outline, line mode,
// main spectrum, keep running, online lyrics). The model has no command for them: the edited
// record goes into the library's settings, is written in the background with the rest of the
// record, and is announced so that every view reads it again.
namespace DirectSettingWrite {

// False, and nothing done, when the edit leaves the settings as they are.
bool apply(AppModel &model, const std::function<void(AppSettings &)> &edit);

} // namespace DirectSettingWrite
