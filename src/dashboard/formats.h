// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrelo::dashboard {

/// The nearest 16-bit integer (halves to even) as text with a leading blank when not
/// negative: 84.5 gives " 84", -2.6 gives "-3". Throws RunTimeError outside the 16-bit range.
std::string integerText(double value);

/// A whole number as text with a leading blank when not negative: 3 gives " 3".
std::string plainText(int value);

/// `value` written with the digit pattern `pattern` ("0", "00", "0.0", ".00", ".000"): each
/// "0" before the point is a digit position padded with zeros (more integer digits are always
/// written), each "0" after it a decimal, the point becomes `separator`; halves round away
/// from zero and a negative value gets a leading "-". With "," 45.3 in ".00" gives "45,30"
/// and 0.5 gives ",50".
std::string patternText(double value, std::string_view pattern, char separator);

/// A day: no lap takes as long.
inline constexpr double kLongestLapSeconds = 86400;

/// True for a lap time the game has set: above 0 and under `kLongestLapSeconds` (a NaN is
/// none).
bool isLapTime(double seconds);

/// A lap time in seconds as "m:ss" and the thousandths, "1:23,456" with a "," separator; a
/// time that `isLapTime` refuses gives "-:--,---". Thousandths that round up to a whole second
/// carry into the seconds and minutes. Every lap time the program shows is written by it.
std::string lapTimeText(float seconds, char separator);

/// A difference of times in seconds with its sign and `decimals` (0 to 3) decimals, the point
/// written as `separator`: "+0,345", "-0.120", "+2". A value that rounds to zero is "+".
std::string signedSecondsText(double seconds, int decimals, char separator);

} // namespace ostrelo::dashboard
