#include "BackupJSON.h"

namespace BackupJSON {

std::expected<void, FileError> remove(const FileLocation &file, FileOperations &files)
{
    for (const FileLocation &location : {file, JsonFile::backupOf(file)}) {
        if (!files.exists(location))
            continue;
        if (auto removed = files.remove(location); !removed)
            return removed;
    }
    return {};
}

} // namespace BackupJSON
