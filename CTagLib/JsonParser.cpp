#include "JsonParser.h"

#include <simdjson.h>

#include <cstdlib>
#include <string_view>

namespace ondemand = simdjson::ondemand;

namespace {

// The text up to the first closing brace outside a string: the object ends there when the text is
// valid, and whatever follows it is never looked at.
std::string_view leadingObject(std::string_view text)
{
    bool inString = false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (inString && text[i] == '\\')
            ++i;
        else if (text[i] == '"')
            inString = !inString;
        else if (!inString && text[i] == '}')
            return text.substr(0, i + 1);
    }
    return text;
}

// An optional sign and decimal digits, as strtoll reads them; beyond 64 bits, the nearest bound.
bool parseNumber(std::string_view token, long long &number)
{
    const std::string digits(token);
    char *end = nullptr;
    number = std::strtoll(digits.c_str(), &end, 10);
    const char first = digits.empty() ? '\0' : digits.front();
    const bool startsRight = first == '-' || first == '+' || (first >= '0' && first <= '9');
    return startsRight && end != digits.c_str() && end == digits.c_str() + digits.size();
}

bool parseValue(ondemand::value json, FieldValue &value)
{
    value.present = true;
    // A scalar's token runs up to the next structural character, white space after it included.
    std::string_view token = json.raw_json_token();
    token = token.substr(0, token.find_last_not_of(" \t\n\r") + 1);
    if (token.starts_with('"')) {
        std::string_view text;
        if (json.get_string().get(text))
            return false;
        value.null = false;
        value.text = text;
        return true;
    }
    if (token == "null")
        return true;
    value.null = false;
    return parseNumber(token, value.number);
}

} // namespace

std::optional<FieldMap> JsonParser::parseObject() const
{
    const simdjson::padded_string text(leadingObject(m_text));
    ondemand::parser parser;
    ondemand::document document;
    ondemand::object object;
    if (parser.iterate(text).get(document) || document.get_object().get(object))
        return std::nullopt;
    FieldMap fields;
    for (auto member : object) {
        ondemand::field field;
        std::string_view key;
        FieldValue value;
        if (std::move(member).get(field) || field.unescaped_key().get(key) || !parseValue(field.value(), value))
            return std::nullopt;
        fields.insert_or_assign(std::string(key), std::move(value));
    }
    return fields;
}
