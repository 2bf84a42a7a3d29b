#pragma once

#include "Storage/FileLocation.h"

#include <QJsonValue>
#include <QString>

#include <expected>

// One planned file operation: where a track's file is and where it is to go.
struct OrganizePlanItem
{
    FileLocation source; // as the track holds it
    FileLocation destination; // standardised
    bool conflictResolved = false; // the rendered name was taken and got a number

    friend bool operator==(const OrganizePlanItem &, const OrganizePlanItem &) = default;

    QJsonValue toJson() const;
    static std::expected<OrganizePlanItem, QString> fromJson(const QJsonValue &json);
};
