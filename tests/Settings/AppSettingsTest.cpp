#include "Settings/AppSettings.h"
#include "Storage/JsonFile.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace {

std::expected<AppSettings, QString> decode(const char *json)
{
    return JsonFile::decode<AppSettings>(QByteArray(json));
}

TEST(AppSettings, DefaultsWriteSixteenKeysAndRoundTripWithTheResumeState)
{
    EXPECT_EQ(decode("{}"), AppSettings());
    const QJsonObject written = QJsonDocument::fromJson(JsonFile::encode(AppSettings())).object();
    EXPECT_EQ(written.size(), 16);
    EXPECT_FALSE(written.contains(u"lastTrackID"_qs));
    EXPECT_EQ(written.value(u"hideFromScreenCapture"_qs), QJsonValue(true));
    EXPECT_EQ(written.value(u"lyricsOpacity"_qs), QJsonValue(0.26));

    const QUuid last = QUuid::createUuid();
    const AppSettings settings{.customAccentHex = u"#3A7BD5"_qs, .lastQueue = {last, QUuid::createUuid()}, .lastTrackID = last,
                               .lastPosition = 83.25, .ffmpegPath = u"/opt/ffmpeg/bin/ffmpeg"_qs};
    EXPECT_EQ(JsonFile::decode<AppSettings>(JsonFile::encode(settings)), settings);
}

TEST(AppSettings, NullsKeepDefaultsUnknownNamesAreKeptAndSequentialIsRepeatAll)
{
    const AppSettings expected{.themePreset = u"neon"_qs, .playbackMode = u"repeatAll"_qs, .appLanguage = u"fr"_qs};
    EXPECT_EQ(decode(R"({"hideFromScreenCapture": null, "customAccentHex": null, "playbackMode": "sequential",
                         "themePreset": "neon", "appLanguage": "fr", "extra": 1})"),
              expected);
}

TEST(AppSettings, WrongTypesAndTrailingTextFailTheWholeRecord)
{
    for (const char *json : {R"({"lyricsOpacity": "0.5"})", R"({"lastQueue": ["6F9619FF-8B86-D011-B42D-00C04FC964FF", "nope"]})",
                             R"({"lastTrackID": "nope"})", R"({"keepRunningOnClose": 1})", "{} {}", "{"})
        EXPECT_FALSE(decode(json)) << json;
}

} // namespace
