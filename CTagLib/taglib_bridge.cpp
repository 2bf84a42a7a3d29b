#include "taglib_bridge.h"

#include "JsonParser.h"
#include "TagJson.h"
#include "TagSnapshot.h"
#include "TagWriter.h"

#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>

namespace {

const char *const tagKeys[] = {"title", "artist", "album", "albumArtist", "year", "trackNumber", "genre",
                               "artworkBase64"};

bool givesAnyTag(const FieldMap &fields)
{
    for (const char *key : tagKeys)
        if (field(fields, key))
            return true;
    return false;
}

std::optional<std::string> writeTags(const char *path, const char *json)
{
    if (!path)
        return "无效的文件路径";
    const std::optional<FieldMap> fields = json ? JsonParser(json).parseObject() : FieldMap();
    if (!fields)
        return "标签数据格式无效";
    // Nothing to change: the file is not even looked at.
    if (!givesAnyTag(*fields))
        return std::nullopt;
    return TagWriter::write(path, *fields);
}

} // namespace

extern "C" char *quillmere_read_tags(const char *path)
{
    try {
        const std::optional<TagSnapshot> snapshot = TagSnapshot::read(path);
        return snapshot ? ::strdup(TagJson::encode(*snapshot).c_str()) : nullptr;
    } catch (...) {
        return nullptr;
    }
}

extern "C" int32_t quillmere_write_tags(const char *path, const char *json, char **error)
{
    if (error)
        *error = nullptr;
    std::optional<std::string> failure;
    try {
        failure = writeTags(path, json);
    } catch (...) {
        failure = "写入标签时发生未知错误";
    }
    if (!failure)
        return 0;
    if (error)
        *error = ::strdup(failure->c_str());
    return -1;
}

extern "C" void quillmere_free(char *text)
{
    std::free(text);
}
