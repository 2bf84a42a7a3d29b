#pragma once

#include "Storage/FileLocation.h"
#include "Storage/FileOperations.h"

#include <QList>

// What an import of dropped or chosen items adds to the library.
namespace FolderImport {

// Each folder as it is, each file (or anything that is not a folder) as the folder that holds
// it; standardised, each folder once, in the order first met.
QList<FileLocation> folders(const QList<FileLocation> &items, FileOperations &files = FileOperations::system());

} // namespace FolderImport
