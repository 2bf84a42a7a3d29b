#include "Base64.h"

#include <cstdint>

namespace Base64 {

namespace {

constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int sextet(char character)
{
    if (character >= 'A' && character <= 'Z')
        return character - 'A';
    if (character >= 'a' && character <= 'z')
        return character - 'a' + 26;
    if (character >= '0' && character <= '9')
        return character - '0' + 52;
    if (character == '+')
        return 62;
    if (character == '/')
        return 63;
    return -1;
}

} // namespace

std::string encode(std::string_view bytes)
{
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t index = 0;
    for (; index + 3 <= bytes.size(); index += 3) {
        const uint32_t group = uint32_t(uint8_t(bytes[index])) << 16 | uint32_t(uint8_t(bytes[index + 1])) << 8
            | uint8_t(bytes[index + 2]);
        text += alphabet[group >> 18 & 63];
        text += alphabet[group >> 12 & 63];
        text += alphabet[group >> 6 & 63];
        text += alphabet[group & 63];
    }
    const size_t left = bytes.size() - index;
    if (left > 0) {
        uint32_t group = uint32_t(uint8_t(bytes[index])) << 16;
        if (left == 2)
            group |= uint32_t(uint8_t(bytes[index + 1])) << 8;
        text += alphabet[group >> 18 & 63];
        text += alphabet[group >> 12 & 63];
        text += left == 2 ? alphabet[group >> 6 & 63] : '=';
        text += '=';
    }
    return text;
}

std::optional<std::string> decode(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size() / 4 * 3 + 3);
    uint32_t accumulator = 0;
    int pendingBits = 0;
    for (const char character : text) {
        if (character == '=')
            break;
        if (character == ' ' || character == '\t' || character == '\n' || character == '\r')
            continue;
        const int value = sextet(character);
        if (value < 0)
            return std::nullopt;
        accumulator = (accumulator << 6 | uint32_t(value)) & 0xFFFFFF;
        pendingBits += 6;
        if (pendingBits >= 8) {
            pendingBits -= 8;
            bytes += char(accumulator >> pendingBits & 0xFF);
        }
    }
    return bytes;
}

} // namespace Base64
