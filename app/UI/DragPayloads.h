#pragma once

#include "Storage/FileLocation.h"

#include <QList>
#include <QString>
#include <QUuid>

#include <optional>

class QMimeData;

// What crosses the main window by drag and drop: a track dragged from a row carries its
// identifier as UTF-8 text; files and folders dragged in from a file manager are file URLs.
namespace DragPayloads {

inline constexpr char utf8TextType[] = "text/plain;charset=utf-8";
inline constexpr char fileUrlType[] = "text/uri-list";

// A new payload for a dragged track: its identifier in upper-case 8-4-4-4-12 form.
QMimeData *trackPayload(const QUuid &trackID);

// The payload's text: UTF-8 data when it decodes, else the plain text; nothing otherwise.
std::optional<QString> textValue(const QMimeData &data);

// True when the payload offers file URLs (the one type the main window accepts), whether or
// not any of them names a local file.
bool offersFileURLs(const QMimeData &data);

// The local files and folders of the payload in their order, raw path bytes kept (names need
// not be UTF-8). Entries that are not file URLs are skipped.
QList<FileLocation> fileURLValues(const QMimeData &data);

} // namespace DragPayloads
