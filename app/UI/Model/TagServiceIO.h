#pragma once

#include "TagIO.h"

#include "Tags/TagService.h"

// The production tag access: the core's tag service over the tag bridge.
class TagServiceIO final : public TagIO
{
public:
    std::optional<TagFields> read(const FileLocation &file) const override { return m_service.read(file); }
    std::expected<void, TagServiceError> write(const TagFields &fields, const FileLocation &file) const override
    {
        return m_service.write(fields, file);
    }

private:
    TagService m_service;
};
