#include "OrganizeUndoEntry.h"

#include "Storage/JsonCodec.h"
#include "Storage/JsonFields.h"

#include <QJsonArray>
#include <QJsonObject>

QJsonValue OrganizeUndoEntry::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("items"), JsonCodec<QList<OrganizePlanItem>>::encode(items));
    object.insert(QLatin1String("copy"), copy);
    object.insert(QLatin1String("date"), date);
    if (!createdFolders.isEmpty()) {
        QJsonArray folders;
        for (const FileLocation &folder : createdFolders)
            folders.append(folder.urlText());
        object.insert(QLatin1String("createdFolders"), folders);
    }
    return object;
}

std::expected<OrganizeUndoEntry, QString> OrganizeUndoEntry::fromJson(const QJsonValue &json)
{
    JsonFields fields(json);
    OrganizeUndoEntry entry;
    entry.items = fields.list<OrganizePlanItem>(QLatin1String("items"), &OrganizePlanItem::fromJson);
    entry.copy = fields.boolean(QLatin1String("copy"));
    entry.date = fields.number(QLatin1String("date"));
    entry.createdFolders = fields.optionalList<FileLocation>(QLatin1String("createdFolders"), &Json::decodeLocation)
                               .value_or(QList<FileLocation>());
    if (!fields.ok())
        return std::unexpected(QStringLiteral("organize entry: ") + fields.error());
    return entry;
}
