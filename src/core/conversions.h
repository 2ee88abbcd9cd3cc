// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrelo::core {

/// Decimal text of a whole number: one leading blank when it is 0 or more, "-" otherwise.
std::string NumberToText(int value);
std::string NumberToText(long long value);
/// Decimal text of a 32-bit float with at most 7 significant digits, "." as the separator,
/// no zero before the point (" .5"), a leading blank when not negative, and an exponent form
/// such as " 1.5E+07" for magnitudes of 1E+07 and more or below 1E-04.
std::string NumberToText(float value);
/// As for a 32-bit float, with at most 15 significant digits (exponent from 1E+15).
std::string NumberToText(double value);

/// Shortest general text of `value` with at most `digits` significant digits: no leading
/// blank, "-" before a negative value, `separator` as the decimal point, trailing zeros
/// dropped, exponent form ("1E-05", "1.5E+07") outside the plain range. With
/// `zeroBeforePoint` false a magnitude below 1 is written without its "0" (".5").
std::string formatGeneral(double value, int digits, char separator, bool zeroBeforePoint);

/// The value of the longest leading part of `text` that reads as a number. Blanks, tabs and
/// line feeds are skipped anywhere; an optional sign, digits with at most one ".", an optional
/// exponent (E or D); "&H" and "&O" introduce hexadecimal and octal digits. No digits gives 0.
/// Never fails: a value too large for a double gives an infinity, except the texts up to the
/// largest double's own 15-digit text ("1.79769313486232E+308"), which give the largest double.
double TextToNumber(std::string_view text);

/// Nearest 16-bit integer, halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
/// Throws RunTimeError on a result outside -32768..32767 or on a value that is not a number.
std::int16_t ToInteger16(double value);
/// Nearest 32-bit integer, halves to the even neighbour. Throws RunTimeError on overflow.
std::int32_t ToInteger32(double value);

/// "True" or "False" in any letter case, or a number (blanks around it allowed): 0 is false,
/// any other number true. Throws RunTimeError (type mismatch) on any other text.
bool TextToFlag(std::string_view text);
/// "True" or "False".
std::string FlagToText(bool flag);

/// True when `text`, less blanks around it, is a number in the strict sense of `TextToFlag`:
/// sign, digits with at most one ".", optional exponent, or an "&H"/"&O" number.
bool isStrictNumber(std::string_view text);

/// True when `text` is one or more of the digits 0 to 9 and nothing else.
bool isDigits(std::string_view text);

/// `text` without the blanks and tabs around it.
std::string_view trimBlanks(std::string_view text);

} // namespace ostrelo::core
