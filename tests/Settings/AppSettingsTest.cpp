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

TEST(AppSettings, SequentialIsReadAsRepeatAll)
{
    const auto settings = decode(R"({"playbackMode": "sequential"})");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->playbackMode, QStringLiteral("repeatAll"));
    AppSettings expected;
    expected.playbackMode = QStringLiteral("repeatAll");
    EXPECT_EQ(*settings, expected);
}

TEST(AppSettings, NullsKeepDefaults)
{
    const auto settings = decode(R"({"hideFromScreenCapture": null, "customAccentHex": null})");
    ASSERT_TRUE(settings);
    EXPECT_TRUE(settings->hideFromScreenCapture);
    EXPECT_FALSE(settings->customAccentHex.has_value());
}

TEST(AppSettings, WrongTypesFailTheWholeRecord)
{
    EXPECT_FALSE(decode(R"({"lyricsOpacity": "0.5"})"));
    EXPECT_FALSE(decode(R"({"lastQueue": ["6F9619FF-8B86-D011-B42D-00C04FC964FF", "nope"]})"));
    EXPECT_FALSE(decode(R"({"lastTrackID": "nope"})"));
    EXPECT_FALSE(decode(R"({"keepRunningOnClose": 1})"));
}

TEST(AppSettings, UnknownNamesAreKeptAsStored)
{
    const auto settings = decode(R"({"themePreset": "neon", "appLanguage": "fr", "extra": 1})");
    ASSERT_TRUE(settings);
    EXPECT_EQ(settings->themePreset, QStringLiteral("neon"));
    EXPECT_EQ(settings->appLanguage, QStringLiteral("fr"));
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
