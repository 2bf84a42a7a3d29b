#include "LibraryIndex.h"

#include "Storage/JsonCodec.h"
#include "Storage/JsonFields.h"

#include <QJsonArray>
#include <QJsonObject>

QJsonValue LibraryIndex::toJson() const
{
    QJsonArray folderArray;
    for (const FileLocation &folder : folders)
        folderArray.append(folder.urlText());
    QJsonObject object;
    object.insert(QLatin1String("tracks"), JsonCodec<QList<Track>>::encode(tracks));
    object.insert(QLatin1String("folders"), folderArray);
    return object;
}

std::expected<LibraryIndex, QString> LibraryIndex::fromJson(const QJsonValue &json)
{
    JsonFields fields(json);
    LibraryIndex index;
    index.tracks = fields.list<Track>(QLatin1String("tracks"), Track::fromJson);
    index.folders = fields.list<FileLocation>(QLatin1String("folders"), Json::decodeLocation);
    if (!fields.ok())
        return std::unexpected(QStringLiteral("library: ") + fields.error());
    return index;
}
