#include "DirectSettingWrite.h"

#include "UI/AppModel.h"

namespace DirectSettingWrite {

bool apply(AppModel &model, const std::function<void(AppSettings &)> &edit)
{
    AppSettings edited = model.settings();
    edit(edited);
    if (edited == model.settings())
        return false;
    model.library().setSettings(edited);
    // The model's one public save of the settings record; it writes the whole record, with the
    // playback state, off the GUI thread.
    model.savePlaybackState();
    emit model.settingsChanged(model.settings());
    return true;
}

} // namespace DirectSettingWrite
