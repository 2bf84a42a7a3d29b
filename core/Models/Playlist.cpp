#include "Playlist.h"

#include "Storage/JsonFields.h"

#include <QHashFunctions>
#include <QJsonObject>

QJsonValue Playlist::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("id"), Json::uuidText(id));
    object.insert(QLatin1String("name"), name);
    object.insert(QLatin1String("trackIDs"), Json::uuidArray(trackIDs));
    return object;
}

std::expected<Playlist, QString> Playlist::fromJson(const QJsonValue &json)
{
    JsonFields fields(json);
    Playlist playlist;
    playlist.id = fields.uuid(QLatin1String("id"));
    playlist.name = fields.string(QLatin1String("name"));
    playlist.trackIDs = fields.list<QUuid>(QLatin1String("trackIDs"), Json::decodeUuid);
    if (!fields.ok())
        return std::unexpected(QStringLiteral("playlist: ") + fields.error());
    return playlist;
}

size_t qHash(const Playlist &playlist, size_t seed)
{
    seed = qHashMulti(seed, playlist.id, playlist.name, playlist.trackIDs.size());
    for (const QUuid &id : playlist.trackIDs)
        seed = qHashMulti(seed, id);
    return seed;
}
