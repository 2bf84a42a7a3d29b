#pragma once

#include "Models/Track.h"

#include <QList>
#include <QMetaType>
#include <QUuid>

// The tracks the user asked to organise. Each request has its own identity.
struct OrganizerRequest
{
    QUuid id = QUuid::createUuid();
    QList<Track> tracks;

    friend bool operator==(const OrganizerRequest &a, const OrganizerRequest &b) { return a.id == b.id; }
};

Q_DECLARE_METATYPE(OrganizerRequest)
