#pragma once

#include "Storage/FileLocation.h"
#include "Track.h"

#include <QList>

#include <expected>

// Everything in library.json: the tracks in library order and the folders the user imported.
struct LibraryIndex
{
    QList<Track> tracks;
    QList<FileLocation> folders;

    void write(JsonWriter &writer) const;
    static std::expected<LibraryIndex, QString> read(JsonReader &reader);
};
