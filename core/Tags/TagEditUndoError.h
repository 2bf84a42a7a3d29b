#pragma once

#include "TagServiceError.h"

#include "Storage/FileError.h"

#include <QString>

#include <variant>

// Why an undo did not finish: either the tags could not be written back (nothing changed), or the
// shortened journal could not be saved after the file's tags were already restored (the entry stays).
struct TagEditUndoError
{
    std::variant<TagServiceError, FileError> cause;

    bool tagsRestored() const { return std::holds_alternative<FileError>(cause); }

    // The text shown to the user.
    QString description() const;
};
