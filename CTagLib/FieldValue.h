#pragma once

#include <map>
#include <string>
#include <string_view>

// One member of the JSON object handed to the bridge for writing.
struct FieldValue
{
    bool present = false;
    bool null = true;
    std::string text; // a string member's UTF-8 bytes; empty for a number or null
    long long number = 0; // a number member's value; 0 for a string or null
};

// Every member of the object by key; a key given twice keeps its last value.
using FieldMap = std::map<std::string, FieldValue, std::less<>>;

// The member of `key` when it was given a value; an absent member and a null member both mean
// "leave this field as it is".
inline const FieldValue *field(const FieldMap &fields, std::string_view key)
{
    const auto found = fields.find(key);
    return found != fields.end() && found->second.present && !found->second.null ? &found->second : nullptr;
}
