#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// How a tag value becomes a field of AudioMetadata. A character counts as numeric when Unicode
// gives it a number category (decimal digits of every script, letter numbers such as Roman
// numerals, other numbers such as circled digits); numbers themselves are parsed from the ASCII
// digits 0-9 only.
namespace MetadataValueRules {

// The value trimmed of white space and line breaks; nothing when that leaves nothing.
std::optional<QString> text(QStringView value);

// The first four characters of the value's leading run of numeric characters, when the run has at
// least four and they are ASCII digits above 0: "2003-05-01" gives 2003, "20031" 2003.
std::optional<qint64> year(QStringView value);

// The whole leading run of numeric characters as a signed 64-bit number: "3/12" gives 3, "07" 7,
// "0" 0; a run with other digits or too long for 64 bits gives nothing.
std::optional<qint64> trackNumber(QStringView value);

} // namespace MetadataValueRules
