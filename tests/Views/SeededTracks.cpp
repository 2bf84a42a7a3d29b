#include "SeededTracks.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPainter>

#include <gtest/gtest.h>

namespace SeededTracks {

namespace {

// Edits the first track's record of library.json.
void editFirstTrack(const SeededDataFolder &home, const std::function<void(QJsonObject &)> &edit)
{
    QJsonObject library = QJsonDocument::fromJson(home.readDataFile(QStringLiteral("library.json"))).object();
    QJsonArray tracks = library.value(QStringLiteral("tracks")).toArray();
    QJsonObject first = tracks.at(0).toObject();
    edit(first);
    tracks.replace(0, first);
    library.insert(QStringLiteral("tracks"), tracks);
    home.writeDataFile(QStringLiteral("library.json"), QJsonDocument(library).toJson());
}

} // namespace

void createAudioFiles(const SeededDataFolder &home)
{
    const QJsonObject library = QJsonDocument::fromJson(home.readDataFile(QStringLiteral("library.json"))).object();
    for (const QJsonValue track : library.value(QStringLiteral("tracks")).toArray()) {
        const auto location = FileLocation::fromUrlText(track.toObject().value(QStringLiteral("url")).toString());
        ASSERT_TRUE(location);
        QFile file(location->displayPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
}

void setFirstTrackDuration(const SeededDataFolder &home, double seconds)
{
    editFirstTrack(home, [seconds](QJsonObject &track) { track.insert(QStringLiteral("duration"), seconds); });
}

void setFirstTrackCover(const SeededDataFolder &home)
{
    QImage cover(300, 300, QImage::Format_RGB32);
    QLinearGradient gradient(0, 0, 300, 300);
    gradient.setColorAt(0, QColor(0xE0, 0x8A, 0x3C));
    gradient.setColorAt(1, QColor(0x3A, 0x2A, 0x6E));
    QPainter(&cover).fillRect(cover.rect(), gradient);
    const QString name = QString::fromLatin1(firstTrackID) + QStringLiteral(".png");
    const QString covers = home.dataPath() + QStringLiteral("/covers");
    ASSERT_TRUE(QDir().mkpath(covers));
    ASSERT_TRUE(cover.save(covers + QLatin1Char('/') + name));
    editFirstTrack(home, [&name](QJsonObject &track) { track.insert(QStringLiteral("artworkFileName"), name); });
}

} // namespace SeededTracks
