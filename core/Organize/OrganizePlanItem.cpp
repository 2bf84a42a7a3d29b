#include "OrganizePlanItem.h"

#include "Storage/JsonFields.h"

#include <QJsonObject>

QJsonValue OrganizePlanItem::toJson() const
{
    QJsonObject object;
    object.insert(QLatin1String("source"), source.urlText());
    object.insert(QLatin1String("destination"), destination.urlText());
    object.insert(QLatin1String("conflictResolved"), conflictResolved);
    return object;
}

std::expected<OrganizePlanItem, QString> OrganizePlanItem::fromJson(const QJsonValue &json)
{
    JsonFields fields(json);
    OrganizePlanItem item;
    item.source = fields.location(QLatin1String("source"));
    item.destination = fields.location(QLatin1String("destination"));
    item.conflictResolved = fields.boolean(QLatin1String("conflictResolved"));
    if (!fields.ok())
        return std::unexpected(QStringLiteral("plan item: ") + fields.error());
    return item;
}
