#pragma once

#include "Models/Track.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <vector>

// The standardised paths of the library's tracks, in library order, worked out once per revision
// of the library and shared by everything that tests folder membership. Most stored paths are
// already standard: those are views of the tracks' own bytes, which the kept list holds alive.
class StandardizedPaths
{
public:
    const QList<QByteArrayView> &of(const QList<Track> &tracks, quint64 tracksRevision);

private:
    quint64 m_revision = 0;
    bool m_valid = false;
    QList<Track> m_tracks;
    std::vector<QByteArray> m_cleaned;
    QList<QByteArrayView> m_paths;
};
