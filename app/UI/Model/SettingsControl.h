#pragma once

#include "DelayedSave.h"

#include "Settings/AppSettings.h"
#include "Theme/ThemeMode.h"
#include "Theme/ThemePreset.h"

#include <QString>

#include <functional>
#include <optional>

class AppModel;

// The model's setters of the lyrics page and overlay, the theme, the panels' window behaviour,
// the interface language and the online lyrics endpoint. Each does nothing for the value already
// set; otherwise it stores the value in the settings, applies it to what it concerns (skipping a
// panel whose controller is absent), saves, shows a failed save in the status line and announces
// the change. The two slider-driven values are saved once they have rested. Part of the model;
// lives on the GUI thread.
class SettingsControl final
{
public:
    explicit SettingsControl(AppModel &model);

    void toggleLyricsPage();
    void setLyricsVisible(bool visible);
    void setLyricsLocked(bool locked);
    void setLyricsOpacity(double opacity);
    void setThemePreset(ThemePreset preset);
    void setThemeMode(ThemeMode mode);
    void setCustomAccent(const std::optional<QString> &hex);
    void setHideFromScreenCapture(bool hidden);
    void setMiniAlwaysOnTop(bool onTop);
    void setAppLanguage(const QString &language);
    std::optional<QString> setLyricsEndpoint(const std::optional<QString> &text);
    // The settings that need nothing but their stored value (row style, lyric outline and line
    // mode, main spectrum, keeping running, online lyrics). False, and nothing done, when the edit
    // leaves the record as it is.
    bool changeStoredSetting(const std::function<void(AppSettings &)> &edit);

    // Writes a slider value that is still resting.
    void flushDelayedSaves();

private:
    using Edit = std::function<void(AppSettings &)>;

    const AppSettings &settings() const;
    // Stores the edited record, applies it, saves and announces it.
    void change(const Edit &edit, const std::function<void()> &apply = {});
    // Stores the edited record and announces it; the delayed save writes it.
    void changeLater(const Edit &edit, DelayedSave &save);
    void save();

    AppModel &m_model;
    DelayedSave m_lyricsOpacitySave;
    DelayedSave m_customAccentSave;
};
