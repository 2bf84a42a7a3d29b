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

    friend bool operator==(const OrganizeUndoEntry &, const OrganizeUndoEntry &) = default;

    QJsonValue toJson() const;
    static std::expected<OrganizeUndoEntry, QString> fromJson(const QJsonValue &json);
};
