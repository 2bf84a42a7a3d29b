#pragma once

#include "Models/Track.h"
#include "Storage/FileLocation.h"

#include <QByteArray>
#include <QTemporaryDir>

#include <memory>
#include <optional>

// Real files for the organizer's tests.
namespace OrganizeFixture {

FileLocation locationOf(const QTemporaryDir &folder);
// Writes the file, creating its folders.
void writeFile(const FileLocation &file, const QByteArray &content);
// The file's bytes, or nothing when there is no regular file.
std::optional<QByteArray> contentOf(const FileLocation &file);
Track trackFor(const FileLocation &file, const QString &artist, const QString &title);
// A temporary folder on another file system than `than` (/dev/shm is tmpfs here), or null when
// the machine has none.
std::unique_ptr<QTemporaryDir> folderOnOtherFileSystem(const FileLocation &than);

} // namespace OrganizeFixture
