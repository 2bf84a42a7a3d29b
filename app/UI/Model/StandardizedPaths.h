#pragma once

#include "Models/Track.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

// The standardised paths of the library's tracks, in library order, worked out once per revision
// of the library and shared by everything that tests folder membership. They are kept side by
// side in one buffer, so a pass over all of them reads memory in order instead of visiting every
// track's own bytes.
class StandardizedPaths
{
public:
    const QList<QByteArrayView> &of(const QList<Track> &tracks, quint64 tracksRevision);

private:
    quint64 m_revision = 0;
    bool m_valid = false;
    QByteArray m_bytes;
    QList<QByteArrayView> m_paths;
};
