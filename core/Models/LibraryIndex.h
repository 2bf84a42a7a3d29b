#pragma once

#include "Storage/FileLocation.h"
#include "Track.h"

#include <QJsonValue>
#include <QList>

#include <expected>

// Everything in library.json: the tracks in library order and the folders the user imported.
struct LibraryIndex
{
    QList<Track> tracks;
    QList<FileLocation> folders;

    QJsonValue toJson() const;
    static std::expected<LibraryIndex, QString> fromJson(const QJsonValue &json);
};
