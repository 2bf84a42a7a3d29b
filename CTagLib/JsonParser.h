#pragma once

#include "FieldValue.h"

#include <optional>
#include <string>

// Reads the flat JSON object that the bridge accepts for writing: string keys with a string, an
// integer or null as values. Nothing else of JSON (true, false, arrays, objects, fractions) is
// accepted. Bytes after the closing brace are not examined.
class JsonParser
{
public:
    explicit JsonParser(const char *text) : m_position(text) {}

    // Nothing when the text breaks the grammar.
    std::optional<FieldMap> parseObject();

private:
    void skipWhitespace();
    bool consume(char expected);
    bool parseString(std::string &bytes);
    bool parseHex4(unsigned &value);
    bool parseValue(FieldValue &value);
    bool parseNumber(long long &number);

    const char *m_position;
};
