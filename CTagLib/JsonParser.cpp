#include "JsonParser.h"

#include <cstdlib>

namespace {

void appendUtf8(std::string &bytes, unsigned codePoint)
{
    if (codePoint < 0x80) {
        bytes += char(codePoint);
    } else if (codePoint < 0x800) {
        bytes += char(0xC0 | codePoint >> 6);
        bytes += char(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        bytes += char(0xE0 | codePoint >> 12);
        bytes += char(0x80 | (codePoint >> 6 & 0x3F));
        bytes += char(0x80 | (codePoint & 0x3F));
    } else {
        bytes += char(0xF0 | codePoint >> 18);
        bytes += char(0x80 | (codePoint >> 12 & 0x3F));
        bytes += char(0x80 | (codePoint >> 6 & 0x3F));
        bytes += char(0x80 | (codePoint & 0x3F));
    }
}

int hexDigit(char character)
{
    if (character >= '0' && character <= '9')
        return character - '0';
    if (character >= 'a' && character <= 'f')
        return character - 'a' + 10;
    if (character >= 'A' && character <= 'F')
        return character - 'A' + 10;
    return -1;
}

} // namespace

std::optional<FieldMap> JsonParser::parseObject()
{
    FieldMap fields;
    skipWhitespace();
    if (!consume('{'))
        return std::nullopt;
    skipWhitespace();
    if (consume('}'))
        return fields;
    while (true) {
        skipWhitespace();
        std::string key;
        if (!parseString(key))
            return std::nullopt;
        skipWhitespace();
        if (!consume(':'))
            return std::nullopt;
        skipWhitespace();
        FieldValue value;
        if (!parseValue(value))
            return std::nullopt;
        fields.insert_or_assign(std::move(key), std::move(value));
        skipWhitespace();
        if (consume('}'))
            return fields;
        if (!consume(','))
            return std::nullopt;
    }
}

void JsonParser::skipWhitespace()
{
    while (*m_position == ' ' || *m_position == '\t' || *m_position == '\n' || *m_position == '\r')
        ++m_position;
}

bool JsonParser::consume(char expected)
{
    if (*m_position != expected)
        return false;
    ++m_position;
    return true;
}

bool JsonParser::parseString(std::string &bytes)
{
    if (!consume('"'))
        return false;
    while (true) {
        const char character = *m_position;
        if (character == '\0')
            return false;
        ++m_position;
        if (character == '"')
            return true;
        if (character != '\\') {
            bytes += character;
            continue;
        }
        const char escape = *m_position;
        if (escape == '\0')
            return false;
        ++m_position;
        switch (escape) {
        case '"': bytes += '"'; break;
        case '\\': bytes += '\\'; break;
        case '/': bytes += '/'; break;
        case 'b': bytes += '\b'; break;
        case 'f': bytes += '\f'; break;
        case 'n': bytes += '\n'; break;
        case 'r': bytes += '\r'; break;
        case 't': bytes += '\t'; break;
        case 'u': {
            unsigned value = 0;
            if (!parseHex4(value))
                return false;
            if (value >= 0xD800 && value <= 0xDBFF) {
                // A high surrogate is only valid with its low partner right after it.
                unsigned low = 0;
                if (!consume('\\') || !consume('u') || !parseHex4(low) || low < 0xDC00 || low > 0xDFFF)
                    return false;
                value = 0x10000 + (value - 0xD800) * 0x400 + (low - 0xDC00);
            }
            appendUtf8(bytes, value);
            break;
        }
        default:
            return false;
        }
    }
}

bool JsonParser::parseHex4(unsigned &value)
{
    value = 0;
    for (int index = 0; index < 4; ++index) {
        const int digit = hexDigit(*m_position);
        if (digit < 0)
            return false;
        value = value << 4 | unsigned(digit);
        ++m_position;
    }
    return true;
}

bool JsonParser::parseValue(FieldValue &value)
{
    value.present = true;
    if (*m_position == '"') {
        value.null = false;
        return parseString(value.text);
    }
    if (m_position[0] == 'n' && m_position[1] == 'u' && m_position[2] == 'l' && m_position[3] == 'l') {
        m_position += 4;
        return true;
    }
    value.null = false;
    return parseNumber(value.number);
}

bool JsonParser::parseNumber(long long &number)
{
    // strtoll would first skip white space of its own.
    const char first = *m_position;
    if (!(first == '-' || first == '+' || (first >= '0' && first <= '9')))
        return false;
    char *end = nullptr;
    number = std::strtoll(m_position, &end, 10); // out of range: the nearest bound
    if (end == m_position)
        return false;
    m_position = end;
    return *m_position != '.' && *m_position != 'e' && *m_position != 'E';
}
