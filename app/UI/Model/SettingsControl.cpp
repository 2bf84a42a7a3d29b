#include "SettingsControl.h"

#include "AppModel.h"
#include "InterfaceLanguage.h"

#include "Localization.h"
#include "Lyrics/LRCLIBClient.h"

#include <algorithm>

namespace {

constexpr double minimumLyricsOpacity = 0.05;
constexpr double maximumLyricsOpacity = 0.9;

} // namespace

SettingsControl::SettingsControl(AppModel &model)
    : m_model(model)
    , m_lyricsOpacitySave(model.m_environment.timing.settingDebounce, [this] { save(); })
    , m_customAccentSave(model.m_environment.timing.settingDebounce, [this] { save(); })
{
}

const AppSettings &SettingsControl::settings() const
{
    return m_model.library().settings();
}

void SettingsControl::toggleLyricsPage()
{
    if (m_model.m_showsLyricsPage) {
        const std::optional<Track> &current = m_model.m_currentTrack;
        m_model.setListScrollTarget(current ? std::optional(current->id) : std::nullopt);
    }
    m_model.setShowsLyricsPage(!m_model.m_showsLyricsPage);
}

void SettingsControl::setLyricsVisible(bool visible)
{
    if (visible == m_model.m_isLyricsVisible)
        return;
    m_model.setLyricsVisibleState(visible);
    LyricsOverlayPanel *overlay = m_model.lyricsOverlay();
    if (!overlay)
        return;
    if (visible)
        overlay->show();
    else
        overlay->hide();
}

void SettingsControl::setLyricsLocked(bool locked)
{
    if (locked == settings().lyricsLocked)
        return;
    m_model.setLyricsLockedState(locked);
    change([locked](AppSettings &settings) { settings.lyricsLocked = locked; }, [this, locked] {
        if (LyricsOverlayPanel *overlay = m_model.lyricsOverlay())
            overlay->setLocked(locked);
    });
}

void SettingsControl::setLyricsOpacity(double opacity)
{
    const double clamped = std::min(std::max(opacity, minimumLyricsOpacity), maximumLyricsOpacity);
    if (clamped == settings().lyricsOpacity)
        return;
    changeLater([clamped](AppSettings &settings) { settings.lyricsOpacity = clamped; }, m_lyricsOpacitySave);
}

void SettingsControl::setThemePreset(ThemePreset preset)
{
    const QString name = preset.rawValue();
    if (name == settings().themePreset)
        return;
    change([&name](AppSettings &settings) { settings.themePreset = name; });
}

void SettingsControl::setThemeMode(ThemeMode mode)
{
    const QString name = mode.rawValue();
    if (name == settings().themeMode)
        return;
    change([&name](AppSettings &settings) { settings.themeMode = name; }, [this, &name] {
        if (m_model.m_environment.shell)
            m_model.m_environment.shell->applyAppearance(name);
    });
}

void SettingsControl::setCustomAccent(const std::optional<QString> &hex)
{
    if (hex == settings().customAccentHex)
        return;
    changeLater([&hex](AppSettings &settings) { settings.customAccentHex = hex; }, m_customAccentSave);
}

void SettingsControl::setHideFromScreenCapture(bool hidden)
{
    if (hidden == settings().hideFromScreenCapture)
        return;
    change([hidden](AppSettings &settings) { settings.hideFromScreenCapture = hidden; }, [this] {
        if (MiniPlayerPanel *miniPlayer = m_model.miniPlayer())
            miniPlayer->applySettings();
        if (LyricsOverlayPanel *overlay = m_model.lyricsOverlay())
            overlay->applySettings();
    });
}

void SettingsControl::setMiniAlwaysOnTop(bool onTop)
{
    if (onTop == settings().miniAlwaysOnTop)
        return;
    change([onTop](AppSettings &settings) { settings.miniAlwaysOnTop = onTop; }, [this] {
        if (MiniPlayerPanel *miniPlayer = m_model.miniPlayer())
            miniPlayer->applySettings();
    });
}

void SettingsControl::setAppLanguage(const QString &language)
{
    if (!InterfaceLanguage::isKnownCode(language) || language == settings().appLanguage)
        return;
    change([&language](AppSettings &settings) { settings.appLanguage = language; }, [this, &language] {
        if (m_model.m_environment.shell)
            m_model.m_environment.shell->applyLanguage(language);
    });
    // The second line is not translated: the reader may not understand the language now shown.
    m_model.m_environment.prompts->inform(
        L("语言已更改"), QStringLiteral("重启Quillmere后生效。\nTakes effect after restarting Quillmere."));
}

std::optional<QString> SettingsControl::setLyricsEndpoint(const std::optional<QString> &text)
{
    std::optional<QString> endpoint;
    if (text && !text->trimmed().isEmpty()) {
        endpoint = text->trimmed();
        if (!LRCLIBClient::endpointURL(endpoint))
            return L("歌词源地址无效，请输入 http 或 https 链接。");
    }
    if (endpoint == settings().lyricsEndpoint)
        return std::nullopt;
    change([&endpoint](AppSettings &settings) { settings.lyricsEndpoint = endpoint; }, [this, &endpoint] {
        // Resolutions already running keep the client they started with.
        m_model.m_lyricsResolver->setEndpoint(LRCLIBClient::resolvedEndpoint(endpoint));
    });
    return std::nullopt;
}

void SettingsControl::flushDelayedSaves()
{
    m_lyricsOpacitySave.flush();
    m_customAccentSave.flush();
}

bool SettingsControl::changeStoredSetting(const Edit &edit)
{
    AppSettings edited = settings();
    edit(edited);
    if (edited == settings())
        return false;
    change([&edited](AppSettings &settings) { settings = edited; });
    return true;
}

void SettingsControl::change(const Edit &edit, const std::function<void()> &apply)
{
    AppSettings edited = settings();
    edit(edited);
    m_model.library().setSettings(edited);
    if (apply)
        apply();
    save();
    emit m_model.settingsChanged(settings());
}

void SettingsControl::changeLater(const Edit &edit, DelayedSave &save)
{
    AppSettings edited = settings();
    edit(edited);
    m_model.library().setSettings(edited);
    emit m_model.settingsChanged(settings());
    save.schedule();
}

// The write finishes after the command that asked for it; its failure shows then.
void SettingsControl::save()
{
    m_model.saveSettings(settings(), [model = &m_model](const SettingsWriter::Outcome &outcome) {
        if (!outcome)
            model->surfacePersistenceError();
    });
}
