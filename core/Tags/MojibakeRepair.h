#pragma once

#include <QString>
#include <QStringView>

#include <optional>

// Repairs tag text whose Chinese bytes (UTF-8 or GB 18030) were decoded as Latin-1 or
// Windows-1252: the bytes are recovered from the characters and decoded again both ways, and the
// decoding that reads as Chinese wins. Pure and thread-safe.
namespace MojibakeRepair {

// The repaired text, or nothing when the text cannot be such mojibake or no decoding convinces.
// Callers keep their text when the result is nothing.
std::optional<QString> repaired(QStringView text);

} // namespace MojibakeRepair
