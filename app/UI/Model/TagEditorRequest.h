#pragma once

#include "Models/Track.h"

#include <QList>
#include <QMetaType>
#include <QUuid>

// The tracks whose tags the user asked to edit. Each request has its own identity, so asking
// again for the same tracks presents the editor afresh.
struct TagEditorRequest
{
    QUuid id = QUuid::createUuid();
    QList<Track> tracks;

    friend bool operator==(const TagEditorRequest &a, const TagEditorRequest &b) { return a.id == b.id; }
};

Q_DECLARE_METATYPE(TagEditorRequest)
