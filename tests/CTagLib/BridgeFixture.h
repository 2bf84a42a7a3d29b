#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>
#include <QStringList>

#include <optional>

// Calls into the tag bridge with Qt types, and the checks its tests share.
namespace BridgeFixture {

// The parsed read result; nothing when the bridge returns null.
std::optional<QJsonObject> readTags(const QString &path);
// The bridge's error message, or an empty text on success.
QString writeTags(const QString &path, const QByteArray &json);
QString writeTags(const QString &path, const QJsonObject &fields);

// The audio as 16-bit PCM decoded by ffmpeg; empty (and a test failure) when it does not decode.
QByteArray decodedSamples(const QString &path);
QByteArray fileBytes(const QString &path);
// Names in the folder that a tag write leaves behind only by mistake.
QStringList temporaryLeftovers(const QString &folder);

// Gives an MP3 file without tags an ID3v1 tag only (ffmpeg writes ID3v1 only beside ID3v2).
void addId3v1Tag(const QString &path, const char *title, const char *artist, unsigned year);

// Picture bytes with a real signature; the bridge stores covers without decoding them.
QByteArray pngImage(char fill = 'p');
QByteArray jpegImage(char fill = 'j');

} // namespace BridgeFixture
