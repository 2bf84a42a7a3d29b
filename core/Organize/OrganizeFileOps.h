#pragma once

#include "Storage/FileOperations.h"

// Moving one file for an organisation or its undo.
namespace OrganizeFileOps {

// Renames without ever replacing what stands at `to`. Only when the two lie on different file
// systems is the file copied and the source removed; if the source cannot be removed, the copy is
// removed again, so the file never ends up in two places. Fails with the error of the operation
// that failed (EEXIST when `to` is taken).
std::expected<void, FileError> move(const FileLocation &from, const FileLocation &to, FileOperations &files);

// True when both are regular files of the same size and modification time (to the two seconds of
// the coarsest volumes) holding the same bytes: one is a finished copy of the other. False when
// either cannot be read.
bool sameContent(const FileLocation &first, const FileLocation &second, FileOperations &files);

} // namespace OrganizeFileOps
