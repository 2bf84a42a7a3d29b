#include "OrganizeFileOps.h"

#include <cerrno>

namespace OrganizeFileOps {

std::expected<void, FileError> move(const FileLocation &from, const FileLocation &to, FileOperations &files)
{
    auto renamed = files.moveNoReplace(from, to);
    if (renamed || renamed.error().code != EXDEV)
        return renamed;

    if (auto copied = files.copyFile(from, to); !copied)
        return copied;
    auto removed = files.remove(from);
    // Drop the copy only while the source is certainly still there: it must stay the one copy.
    if (!removed && files.exists(from))
        (void)files.remove(to);
    return removed;
}

} // namespace OrganizeFileOps
