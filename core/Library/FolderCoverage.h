#pragma once

#include "Storage/FileLocation.h"

#include <QList>

// Makes sure a location lies inside one of the library folders.
namespace FolderCoverage {

// The folders standardised and without repeated paths (first kept), with the destination
// appended when no folder covers it (equal path, or a path below the folder's).
QList<FileLocation> ensureCovered(const FileLocation &destination, const QList<FileLocation> &folders);

} // namespace FolderCoverage
