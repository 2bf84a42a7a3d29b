#pragma once

#include "FileOperations.h"
#include "JsonFile.h"
#include "LoadSource.h"

// Save, load and remove for the undo journals. A save first keeps the current file as the "bak"
// companion when it still decodes, then writes the file itself atomically.
namespace BackupJSON {

template <typename T>
Loaded<T> load(const FileLocation &file, FileOperations &files = FileOperations::system())
{
    return JsonFile::load<T>(files, file);
}

template <typename T>
std::expected<void, FileError> save(const T &value, const FileLocation &file,
                                    FileOperations &files = FileOperations::system())
{
    const QByteArray bytes = JsonFile::encode(value);
    if (auto created = files.createDirectories(file.deletingLastPathComponent()); !created)
        return created;
    if (auto preserved = JsonFile::preserveCurrent(files, file, JsonFile::decodesAs<T>); !preserved)
        return preserved;
    return files.writeAtomically(file, bytes);
}

// Removes the file, then its backup copy; the first failure stops.
std::expected<void, FileError> remove(const FileLocation &file, FileOperations &files = FileOperations::system());

} // namespace BackupJSON
