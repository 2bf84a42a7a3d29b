#include "OrganizeURLMapping.h"

namespace OrganizeURLMapping {

QHash<FileLocation, FileLocation> apply(const QList<OrganizePlanItem> &items)
{
    QHash<FileLocation, FileLocation> mapping;
    mapping.reserve(items.size());
    for (const OrganizePlanItem &item : items)
        mapping.insert(item.source.standardized(), item.destination.standardized());
    return mapping;
}

QHash<FileLocation, FileLocation> undo(const QList<OrganizePlanItem> &items)
{
    QHash<FileLocation, FileLocation> mapping;
    mapping.reserve(items.size());
    for (const OrganizePlanItem &item : items)
        mapping.insert(item.destination.standardized(), item.source.standardized());
    return mapping;
}

} // namespace OrganizeURLMapping
