// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/conversions.h"

#include "core/error.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace ostrelo::core {
namespace {

bool isSkippedBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n';
}

int digitValue(char c, int base) {
    int value = -1;
    if (c >= '0' && c <= '9') {
        value = c - '0';
    } else if (c >= 'a' && c <= 'f') {
        value = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
        value = c - 'A' + 10;
    }
    return value < base ? value : -1;
}

// Reads "&H..." or "&O..." digits, already past the prefix. The digits are taken as an
// unsigned value, so "&HFF00" is 65280 whatever its length.
double radixValue(std::string_view digits, int base) {
    double value = 0;
    for (char c : digits) {
        if (isSkippedBlank(c)) {
            continue;
        }
        const int digit = digitValue(c, base);
        if (digit < 0) {
            break;
        }
        value = value * base + digit;
    }
    return value;
}

// Detects the "&H" / "&O" prefix after leading blanks; returns the base or 0.
int radixPrefix(std::string_view text, std::size_t &pos) {
    while (pos < text.size() && isSkippedBlank(text[pos])) {
        ++pos;
    }
    if (pos + 1 < text.size() && text[pos] == '&') {
        const char kind =
            static_cast<char>(std::toupper(static_cast<unsigned char>(text[pos + 1])));
        if (kind == 'H' || kind == 'O') {
            pos += 2;
            return kind == 'H' ? 16 : 8;
        }
    }
    return 0;
}

// The decimal exponent of the leading digit of `mantissa` × 10^`exponent`, or nullopt when
// every digit is zero. Used only to tell an overflow from an underflow.
std::optional<long long> leadingDigitPower(const std::string &mantissa,
                                           const std::string &exponent) {
    const auto point = mantissa.find('.');
    const auto first = mantissa.find_first_of("123456789");
    if (first == std::string::npos) {
        return std::nullopt;
    }
    const std::size_t integerDigits = point == std::string::npos ? mantissa.size() : point;
    long long power = first < integerDigits ? static_cast<long long>(integerDigits - first) - 1
                                            : -static_cast<long long>(first - integerDigits);
    // The exponent is clamped: anything beyond a few thousand decides the outcome alone.
    long long shift = 0;
    for (const char c : exponent) {
        if (c >= '0' && c <= '9') {
            shift = std::min(shift * 10 + (c - '0'), 1'000'000LL);
        }
    }
    power += !exponent.empty() && exponent.front() == '-' ? -shift : shift;
    return power;
}

// The largest double written with 15 significant digits, as `NumberToText` and the frame
// writer write it: rounded up, it lies just beyond the largest double.
constexpr std::string_view kLargestDoubleDigits = "179769313486232";
constexpr long long kLargestDoublePower = 308;

// True when the decimal `mantissa` (its leading digit at 10^308) is at most the largest
// double's 15-digit text: a number that only its rounding took beyond the largest double.
bool withinLargestDoubleText(const std::string &mantissa) {
    std::string digits;
    for (const char c : mantissa) {
        if (c != '.' && !(digits.empty() && c == '0')) {
            digits += c;
        }
    }
    std::string largest(kLargestDoubleDigits);
    const std::size_t length = std::max(digits.size(), largest.size());
    digits.resize(length, '0');
    largest.resize(length, '0');
    return digits <= largest;
}

double parseDecimal(const std::string &mantissa, const std::string &exponent, bool negative) {
    std::string clean = mantissa;
    if (!exponent.empty()) {
        clean += 'e' + exponent;
    }
    double value = 0;
    const auto result = std::from_chars(clean.data(), clean.data() + clean.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large gives an infinity, too small (many zeros after the point, or a large
        // negative exponent) gives zero; the largest double as its own 15-digit text reads
        // back as itself.
        const auto power = leadingDigitPower(mantissa, exponent);
        if (power == kLargestDoublePower && withinLargestDoubleText(mantissa)) {
            value = std::numeric_limits<double>::max();
        } else {
            value = power && *power > 0 ? std::numeric_limits<double>::infinity() : 0.0;
        }
    }
    return negative ? -value : value;
}

template <typename Int> Int roundToInteger(double value, const char *operation) {
    const double rounded = std::nearbyint(value);
    if (!(rounded >= static_cast<double>(std::numeric_limits<Int>::min()) &&
          rounded <= static_cast<double>(std::numeric_limits<Int>::max()))) {
        throw RunTimeError(operation, "Overflow: " + formatGeneral(value, 15, '.', true) +
                                          " does not fit the integer range");
    }
    return static_cast<Int>(rounded);
}

std::string withSignBlank(double value, int digits) {
    if (value == 0) {
        return " 0";
    }
    std::string text = formatGeneral(value, digits, '.', false);
    return value > 0 ? ' ' + text : text;
}

} // namespace

std::string NumberToText(int value) {
    return NumberToText(static_cast<long long>(value));
}

std::string NumberToText(long long value) {
    return value >= 0 ? ' ' + std::to_string(value) : std::to_string(value);
}

std::string NumberToText(float value) {
    return withSignBlank(value, 7);
}

std::string NumberToText(double value) {
    return withSignBlank(value, 15);
}

std::string formatGeneral(double value, int digits, char separator, bool zeroBeforePoint) {
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value > 0 ? "Inf" : "-Inf";
    }
    if (value == 0) {
        return "0";
    }
    char buffer[64];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
    std::string text(buffer, result.ptr);
    for (char &c : text) {
        if (c == 'e') {
            c = 'E';
        } else if (c == '.') {
            c = separator;
        }
    }
    if (!zeroBeforePoint) {
        const std::size_t zero = text.front() == '-' ? 1 : 0;
        if (text.size() > zero + 1 && text[zero] == '0' && text[zero + 1] == separator) {
            text.erase(zero, 1);
        }
    }
    return text;
}

double TextToNumber(std::string_view text) {
    std::size_t pos = 0;
    if (const int base = radixPrefix(text, pos)) {
        return radixValue(text.substr(pos), base);
    }
    bool negative = false;
    bool signSeen = false;
    bool pointSeen = false;
    std::string mantissa;
    std::string exponent;
    bool digitSeen = false;
    for (; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (isSkippedBlank(c)) {
            continue;
        }
        if ((c == '+' || c == '-') && !signSeen && mantissa.empty()) {
            signSeen = true;
            negative = c == '-';
        } else if (c >= '0' && c <= '9') {
            mantissa += c;
            digitSeen = true;
        } else if (c == '.' && !pointSeen) {
            pointSeen = true;
            mantissa += c;
        } else {
            break;
        }
    }
    if (!digitSeen) {
        return 0;
    }
    if (pos < text.size() && (std::toupper(static_cast<unsigned char>(text[pos])) == 'E' ||
                              std::toupper(static_cast<unsigned char>(text[pos])) == 'D')) {
        std::string candidate;
        bool exponentSign = false;
        for (++pos; pos < text.size(); ++pos) {
            const char c = text[pos];
            if (isSkippedBlank(c)) {
                continue;
            }
            if ((c == '+' || c == '-') && !exponentSign && candidate.empty()) {
                exponentSign = true;
                if (c == '-') {
                    candidate += c;
                }
            } else if (c >= '0' && c <= '9') {
                candidate += c;
            } else {
                break;
            }
        }
        if (!candidate.empty() && candidate != "-") {
            exponent = candidate;
        }
    }
    return parseDecimal(mantissa, exponent, negative);
}

std::int16_t ToInteger16(double value) {
    return roundToInteger<std::int16_t>(value, "ToInteger16");
}

std::int32_t ToInteger32(double value) {
    return roundToInteger<std::int32_t>(value, "ToInteger32");
}

bool isDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

std::string_view trimBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool isStrictNumber(std::string_view text) {
    const std::string_view t = trimBlanks(text);
    std::size_t pos = 0;
    if (t.size() > 2 && t[0] == '&') {
        const int base = std::toupper(static_cast<unsigned char>(t[1])) == 'H'   ? 16
                         : std::toupper(static_cast<unsigned char>(t[1])) == 'O' ? 8
                                                                                 : 0;
        if (base == 0) {
            return false;
        }
        for (char c : t.substr(2)) {
            if (digitValue(c, base) < 0) {
                return false;
            }
        }
        return true;
    }
    if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) {
        ++pos;
    }
    bool digits = false;
    bool point = false;
    for (; pos < t.size(); ++pos) {
        if (t[pos] >= '0' && t[pos] <= '9') {
            digits = true;
        } else if (t[pos] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (!digits) {
        return false;
    }
    if (pos < t.size() && (std::toupper(static_cast<unsigned char>(t[pos])) == 'E' ||
                           std::toupper(static_cast<unsigned char>(t[pos])) == 'D')) {
        ++pos;
        if (pos < t.size() && (t[pos] == '+' || t[pos] == '-')) {
            ++pos;
        }
        bool exponentDigits = false;
        for (; pos < t.size() && t[pos] >= '0' && t[pos] <= '9'; ++pos) {
            exponentDigits = true;
        }
        if (!exponentDigits) {
            return false;
        }
    }
    return pos == t.size();
}

bool TextToFlag(std::string_view text) {
    const std::string_view t = trimBlanks(text);
    auto equalsIgnoringCase = [t](std::string_view word) {
        if (t.size() != word.size()) {
            return false;
        }
        for (std::size_t i = 0; i < t.size(); ++i) {
            if (std::tolower(static_cast<unsigned char>(t[i])) != word[i]) {
                return false;
            }
        }
        return true;
    };
    if (equalsIgnoringCase("true")) {
        return true;
    }
    if (equalsIgnoringCase("false")) {
        return false;
    }
    if (!isStrictNumber(t)) {
        throw RunTimeError("TextToFlag", "Type mismatch: \"" + std::string(text) +
                                             "\" is neither True, False nor a number");
    }
    return TextToNumber(t) != 0;
}

std::string FlagToText(bool flag) {
    return flag ? "True" : "False";
}

} // namespace ostrelo::core
