#include "OrganizeURLMapping.h"

namespace OrganizeURLMapping {

namespace {

using Field = FileLocation OrganizePlanItem::*;

QHash<FileLocation, FileLocation> mapping(const QList<OrganizePlanItem> &items, Field from, Field to)
{
    QHash<FileLocation, FileLocation> result;
    result.reserve(items.size());
    for (const OrganizePlanItem &item : items)
        result.insert((item.*from).standardized(), (item.*to).standardized());
    return result;
}

} // namespace

QHash<FileLocation, FileLocation> apply(const QList<OrganizePlanItem> &items)
{
    return mapping(items, &OrganizePlanItem::source, &OrganizePlanItem::destination);
}

QHash<FileLocation, FileLocation> undo(const QList<OrganizePlanItem> &items)
{
    return mapping(items, &OrganizePlanItem::destination, &OrganizePlanItem::source);
}

} // namespace OrganizeURLMapping
