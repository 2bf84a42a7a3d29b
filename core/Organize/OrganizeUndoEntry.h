#pragma once

#include "OrganizePlanItem.h"

#include <QJsonValue>
#include <QList>

#include <expected>

// One recorded organisation.
struct OrganizeUndoEntry
{
    QList<OrganizePlanItem> items; // in plan order
    bool copy = false; // copied rather than moved
    double date = 0; // seconds since 2001-01-01 UTC
    // Folders the run was about to create, so that undo can remove those it leaves empty. Older
    // journals have none.
    QList<FileLocation> createdFolders;

    friend bool operator==(const OrganizeUndoEntry &, const OrganizeUndoEntry &) = default;

    QJsonValue toJson() const;
    static std::expected<OrganizeUndoEntry, QString> fromJson(const QJsonValue &json);
};
