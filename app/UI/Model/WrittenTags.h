#pragma once

#include "Storage/FileLocation.h"
#include "Storage/FileOperations.h"
#include "Tags/TagFields.h"

#include <QByteArray>

#include <optional>

// The tags now in one file, to be carried into its library entry.
struct WrittenTags
{
    FileLocation url;
    TagFields fields;
    // The cover differs from what the file held before; `artwork` is then its image (none when
    // the file has no cover now, or its text is not strict Base64).
    bool artworkChanged = false;
    std::optional<QByteArray> artwork;
    // The file as it is now; nothing when it could not be examined.
    std::optional<FileStatus> status;
};
