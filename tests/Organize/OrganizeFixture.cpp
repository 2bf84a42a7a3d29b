#include "OrganizeFixture.h"

#include "Storage/FileOperations.h"

#include <gtest/gtest.h>

namespace OrganizeFixture {

FileLocation locationOf(const QTemporaryDir &folder)
{
    return FileLocation::fromLocalFile(folder.path());
}

void writeFile(const FileLocation &file, const QByteArray &content)
{
    FileOperations &files = FileOperations::system();
    ASSERT_TRUE(files.createDirectories(file.deletingLastPathComponent()).has_value());
    ASSERT_TRUE(files.writeAtomically(file, content).has_value());
}

std::optional<QByteArray> contentOf(const FileLocation &file)
{
    auto bytes = FileOperations::system().readAll(file);
    return bytes ? std::optional(*bytes) : std::nullopt;
}

Track trackFor(const FileLocation &file, const QString &artist, const QString &title)
{
    Track track;
    track.id = QUuid::createUuid();
    track.url = file;
    track.artist = artist;
    track.title = title;
    return track;
}

std::unique_ptr<QTemporaryDir> folderOnOtherFileSystem(const FileLocation &than)
{
    auto folder = std::make_unique<QTemporaryDir>(QStringLiteral("/dev/shm/quillmere-organize-XXXXXX"));
    FileOperations &files = FileOperations::system();
    const auto here = files.status(than);
    const auto there = files.status(locationOf(*folder));
    if (!folder->isValid() || !here || !there || here->device == there->device)
        return nullptr;
    return folder;
}

} // namespace OrganizeFixture
