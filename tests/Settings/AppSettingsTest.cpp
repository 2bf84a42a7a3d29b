#include "Settings/AppSettings.h"
#include "Storage/JsonFields.h"
#include "Storage/JsonFile.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

std::expected<AppSettings, QString> decode(const char *json)
{
    return JsonFile::decode<AppSettings>(QByteArray(json));
}

} // namespace

TEST(AppSettings, EmptyObjectGivesDefaultsAndDefaultsWriteSixteenKeys)
{
    EXPECT_EQ(decode("{}"), AppSettings());
    const QJsonObject written = AppSettings().toJson().toObject();
    EXPECT_EQ(written.size(), 16);
    EXPECT_FALSE(written.contains(QStringLiteral("lastTrackID")));
    EXPECT_EQ(written.value(QStringLiteral("hideFromScreenCapture")), QJsonValue(true));
    EXPECT_EQ(written.value(QStringLiteral("lyricsOpacity")), QJsonValue(0.26));
}

TEST(AppSettings, NullsKeepDefaultsUnknownNamesAreKeptAndSequentialIsRepeatAll)
{
    const auto settings = decode(R"({"hideFromScreenCapture": null, "customAccentHex": null, "playbackMode": "sequential",
                                     "themePreset": "neon", "appLanguage": "fr", "extra": 1})");
    ASSERT_TRUE(settings);
    AppSettings expected;
    expected.playbackMode = QStringLiteral("repeatAll");
    expected.themePreset = QStringLiteral("neon");
    expected.appLanguage = QStringLiteral("fr");
    EXPECT_EQ(*settings, expected);
}

TEST(AppSettings, WrongTypesFailTheWholeRecord)
{
    EXPECT_FALSE(decode(R"({"lyricsOpacity": "0.5"})"));
    EXPECT_FALSE(decode(R"({"lastQueue": ["6F9619FF-8B86-D011-B42D-00C04FC964FF", "nope"]})"));
    EXPECT_FALSE(decode(R"({"lastTrackID": "nope"})"));
    EXPECT_FALSE(decode(R"({"keepRunningOnClose": 1})"));
}

TEST(AppSettings, RoundTripsTheResumeState)
{
    AppSettings settings;
    settings.lastTrackID = QUuid::createUuid();
    settings.lastQueue = {*settings.lastTrackID, QUuid::createUuid()};
    settings.lastPosition = 83.25;
    settings.ffmpegPath = QStringLiteral("/opt/ffmpeg/bin/ffmpeg");
    settings.customAccentHex = QStringLiteral("#3A7BD5");
    const QByteArray bytes = JsonFile::encode(settings);
    EXPECT_TRUE(bytes.contains(Json::uuidText(*settings.lastTrackID).toLatin1()));
    EXPECT_EQ(JsonFile::decode<AppSettings>(bytes), settings);
}
