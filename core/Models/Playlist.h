#pragma once

#include <QJsonValue>
#include <QList>
#include <QMetaType>
#include <QString>
#include <QUuid>

#include <expected>

// A named, ordered list of track identifiers; the order is the play order.
struct Playlist
{
    QUuid id;
    QString name;
    QList<QUuid> trackIDs;

    friend bool operator==(const Playlist &, const Playlist &) = default;

    QJsonValue toJson() const;
    static std::expected<Playlist, QString> fromJson(const QJsonValue &json);
};

size_t qHash(const Playlist &playlist, size_t seed = 0);

Q_DECLARE_METATYPE(Playlist)
