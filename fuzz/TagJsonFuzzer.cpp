#include "CTagLib/JsonParser.h"
#include "CTagLib/TagJson.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Any text either parses into a field map or is refused; every parsed text survives the writer's
// escaping.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    if (const std::optional<FieldMap> fields = JsonParser(text.c_str()).parseObject()) {
        for (const auto &[key, value] : *fields)
            TagJson::jsonString(key + value.text);
    }
    return 0;
}
