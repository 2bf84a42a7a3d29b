#include "AppSettings.h"

#include "Storage/JsonFields.h"

#include <QJsonObject>

namespace {

template <typename T>
void assignIfPresent(T &field, std::optional<T> value)
{
    if (value)
        field = std::move(*value);
}

} // namespace

QJsonValue AppSettings::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("themePreset"), themePreset);
    object.insert(QLatin1String("themeMode"), themeMode);
    if (customAccentHex)
        object.insert(QLatin1String("customAccentHex"), *customAccentHex);
    object.insert(QLatin1String("lyricsOpacity"), lyricsOpacity);
    object.insert(QLatin1String("lyricsOutline"), lyricsOutline);
    object.insert(QLatin1String("lyricsLineMode"), lyricsLineMode);
    object.insert(QLatin1String("lyricsLocked"), lyricsLocked);
    object.insert(QLatin1String("rowStyle"), rowStyle);
    object.insert(QLatin1String("showMainSpectrum"), showMainSpectrum);
    object.insert(QLatin1String("hideFromScreenCapture"), hideFromScreenCapture);
    object.insert(QLatin1String("keepRunningOnClose"), keepRunningOnClose);
    object.insert(QLatin1String("miniAlwaysOnTop"), miniAlwaysOnTop);
    object.insert(QLatin1String("onlineLyricsEnabled"), onlineLyricsEnabled);
    if (lyricsEndpoint)
        object.insert(QLatin1String("lyricsEndpoint"), *lyricsEndpoint);
    object.insert(QLatin1String("playbackMode"), playbackMode);
    object.insert(QLatin1String("lastQueue"), Json::uuidArray(lastQueue));
    if (lastTrackID)
        object.insert(QLatin1String("lastTrackID"), Json::uuidText(*lastTrackID));
    object.insert(QLatin1String("lastPosition"), lastPosition);
    if (ffmpegPath)
        object.insert(QLatin1String("ffmpegPath"), *ffmpegPath);
    object.insert(QLatin1String("appLanguage"), appLanguage);
    return object;
}

std::expected<AppSettings, QString> AppSettings::fromJson(const QJsonValue &json)
{
    JsonFields fields(json);
    AppSettings settings;
    assignIfPresent(settings.themePreset, fields.optionalString(QLatin1String("themePreset")));
    assignIfPresent(settings.themeMode, fields.optionalString(QLatin1String("themeMode")));
    settings.customAccentHex = fields.optionalString(QLatin1String("customAccentHex"));
    assignIfPresent(settings.lyricsOpacity, fields.optionalNumber(QLatin1String("lyricsOpacity")));
    assignIfPresent(settings.lyricsOutline, fields.optionalBoolean(QLatin1String("lyricsOutline")));
    assignIfPresent(settings.lyricsLineMode, fields.optionalString(QLatin1String("lyricsLineMode")));
    assignIfPresent(settings.lyricsLocked, fields.optionalBoolean(QLatin1String("lyricsLocked")));
    assignIfPresent(settings.rowStyle, fields.optionalString(QLatin1String("rowStyle")));
    assignIfPresent(settings.showMainSpectrum, fields.optionalBoolean(QLatin1String("showMainSpectrum")));
    assignIfPresent(settings.hideFromScreenCapture,
                    fields.optionalBoolean(QLatin1String("hideFromScreenCapture")));
    assignIfPresent(settings.keepRunningOnClose, fields.optionalBoolean(QLatin1String("keepRunningOnClose")));
    assignIfPresent(settings.miniAlwaysOnTop, fields.optionalBoolean(QLatin1String("miniAlwaysOnTop")));
    assignIfPresent(settings.onlineLyricsEnabled, fields.optionalBoolean(QLatin1String("onlineLyricsEnabled")));
    settings.lyricsEndpoint = fields.optionalString(QLatin1String("lyricsEndpoint"));
    assignIfPresent(settings.playbackMode, fields.optionalString(QLatin1String("playbackMode")));
    // A stored "sequential" resumes as repeat-all.
    if (settings.playbackMode == u"sequential")
        settings.playbackMode = QStringLiteral("repeatAll");
    assignIfPresent(settings.lastQueue, fields.optionalList<QUuid>(QLatin1String("lastQueue"), Json::decodeUuid));
    settings.lastTrackID = fields.optionalUuid(QLatin1String("lastTrackID"));
    assignIfPresent(settings.lastPosition, fields.optionalNumber(QLatin1String("lastPosition")));
    settings.ffmpegPath = fields.optionalString(QLatin1String("ffmpegPath"));
    assignIfPresent(settings.appLanguage, fields.optionalString(QLatin1String("appLanguage")));
    if (!fields.ok())
        return std::unexpected(QStringLiteral("settings: ") + fields.error());
    return settings;
}
