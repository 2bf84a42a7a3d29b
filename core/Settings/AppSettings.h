#pragma once

#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUuid>

#include <expected>
#include <optional>

// The user's preferences and the playback state to resume, stored in settings.json. Every key is
// read only when present, so files written by older versions still load.
struct AppSettings
{
    QString themePreset = QStringLiteral("celadon");
    QString themeMode = QStringLiteral("system");
    std::optional<QString> customAccentHex;
    double lyricsOpacity = 0.26;
    bool lyricsOutline = false;
    QString lyricsLineMode = QStringLiteral("two");
    bool lyricsLocked = false;
    QString rowStyle = QStringLiteral("index");
    bool showMainSpectrum = false;
    bool hideFromScreenCapture = true;
    bool keepRunningOnClose = true;
    bool miniAlwaysOnTop = true;
    bool onlineLyricsEnabled = true;
    std::optional<QString> lyricsEndpoint;
    QString playbackMode = QStringLiteral("repeatAll");
    QList<QUuid> lastQueue;
    std::optional<QUuid> lastTrackID;
    double lastPosition = 0;
    std::optional<QString> ffmpegPath;
    QString appLanguage = QStringLiteral("system");

    friend bool operator==(const AppSettings &, const AppSettings &) = default;

    QJsonValue toJson() const;
    static std::expected<AppSettings, QString> fromJson(const QJsonValue &json);
};
