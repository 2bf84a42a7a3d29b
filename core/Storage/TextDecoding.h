#pragma once

#include <QByteArrayView>
#include <QString>

#include <optional>

// Text of unknown encoding, as lyrics files and file names bring it: a byte-order mark, else strict
// UTF-8, else the legacy encoding that users' files are in (GB 18030, Big5, Shift-JIS, EUC-KR,
// Windows-125x) as a detector judges it, GB 18030 when it is unsure. A reading that fails or holds
// replacement characters is refused.
namespace TextDecoding {

// None when no reading is clean.
std::optional<QString> decode(QByteArrayView bytes);

// For display: the clean reading, else a lossy one that keeps every byte visible.
QString displayText(QByteArrayView bytes);

} // namespace TextDecoding
