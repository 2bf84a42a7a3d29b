#pragma once

#include "FieldValue.h"

#include <optional>

// Reads the flat JSON object that the bridge accepts for writing: string keys with a string, an
// integer or null as values. Nothing else of JSON (true, false, arrays, objects, fractions) is
// accepted. Bytes after the closing brace are not examined.
class JsonParser
{
public:
    explicit JsonParser(const char *text) : m_text(text) {}

    // Nothing when the text breaks the grammar.
    std::optional<FieldMap> parseObject() const;

private:
    const char *m_text;
};
