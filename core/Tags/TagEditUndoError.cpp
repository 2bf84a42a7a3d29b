#include "TagEditUndoError.h"

QString TagEditUndoError::description() const
{
    if (const auto *written = std::get_if<TagServiceError>(&cause))
        return written->description();
    return std::get<FileError>(cause).text();
}
