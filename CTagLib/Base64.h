#pragma once

#include <optional>
#include <string>
#include <string_view>

// Base64 with the standard alphabet (RFC 4648), as covers travel in the bridge's JSON text.
namespace Base64 {

// Padded with "=", without line breaks.
std::string encode(std::string_view bytes);

// Lenient in what writers add (blanks and line breaks between the characters, a missing
// padding) and strict in the alphabet. Everything after the first "=" is ignored. Nothing for a
// character outside the alphabet.
std::optional<std::string> decode(std::string_view text);

} // namespace Base64
