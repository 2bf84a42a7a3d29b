#pragma once

#include <QString>

// The clock-style time of the player bar, the track rows and the mini player: "m:ss" below an
// hour, "h:mm:ss" from an hour on. Plain ASCII, no locale, no sign.
namespace TimeText {

// Seconds rounded once (halves away from zero) before they are split, so 59.5 gives "1:00".
// Anything that is not a positive finite number gives "0:00"; values too large for a 64-bit
// count of seconds are shown as the largest count.
QString string(double seconds);

} // namespace TimeText
