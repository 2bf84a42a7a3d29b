#pragma once

#include "OrganizePlanItem.h"

#include <QHash>
#include <QList>

// How the library's file locations follow an organisation or its undo. Locations are standardised;
// a later item with the same key wins.
namespace OrganizeURLMapping {

// Source to destination.
QHash<FileLocation, FileLocation> apply(const QList<OrganizePlanItem> &items);
// Destination back to source.
QHash<FileLocation, FileLocation> undo(const QList<OrganizePlanItem> &items);

} // namespace OrganizeURLMapping
