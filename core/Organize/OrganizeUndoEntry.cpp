#include "OrganizeUndoEntry.h"

#include "Storage/JsonCodec.h"
#include "Storage/JsonFields.h"

#include <QJsonObject>

QJsonValue OrganizeUndoEntry::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("items"), JsonCodec<QList<OrganizePlanItem>>::encode(items));
    object.insert(QLatin1String("copy"), copy);
    object.insert(QLatin1String("date"), date);
    return object;
}

std::expected<OrganizeUndoEntry, QString> OrganizeUndoEntry::fromJson(const QJsonValue &json)
{
    JsonFields fields(json);
    OrganizeUndoEntry entry;
    entry.items = fields.list<OrganizePlanItem>(QLatin1String("items"), &OrganizePlanItem::fromJson);
    entry.copy = fields.boolean(QLatin1String("copy"));
    entry.date = fields.number(QLatin1String("date"));
    if (!fields.ok())
        return std::unexpected(QStringLiteral("organize entry: ") + fields.error());
    return entry;
}
