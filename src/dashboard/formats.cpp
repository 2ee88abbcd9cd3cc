// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/formats.h"

#include "core/conversions.h"

#include <algorithm>
#include <cmath>

namespace ostrelo::dashboard {

std::string integerText(double value) {
    return core::NumberToText(core::ToInteger16(value));
}

std::string plainText(int value) {
    return core::NumberToText(value);
}

std::string patternText(double value, std::string_view pattern, char separator) {
    const auto point = pattern.find('.');
    const std::size_t integerDigits = point == std::string_view::npos ? pattern.size() : point;
    const std::size_t decimals = point == std::string_view::npos ? 0 : pattern.size() - point - 1;
    if (!std::isfinite(value)) {
        return core::formatGeneral(value, 7, separator, true);
    }
    // Halves away from zero, on the magnitude scaled to whole units of the last decimal.
    const double scaled =
        std::round(std::fabs(value) * std::pow(10.0, static_cast<double>(decimals)));
    std::string digits = core::formatGeneral(scaled, 17, '.', true);
    if (!core::isDigits(digits)) {
        // Too large for plain digits: fall back to the general form.
        return core::formatGeneral(value, 15, separator, true);
    }
    if (digits.size() < decimals + integerDigits) {
        digits.insert(0, decimals + integerDigits - digits.size(), '0');
    }
    std::string text;
    if (value < 0) {
        text += '-';
    }
    text += digits.substr(0, digits.size() - decimals);
    if (decimals > 0) {
        text += separator;
        text += digits.substr(digits.size() - decimals);
    }
    return text;
}

bool isLapTime(double seconds) {
    // Any 4 bytes can arrive here, and the minutes of a day or more would not fit an integer.
    return seconds > 0 && seconds < kLongestLapSeconds;
}

std::string lapTimeText(float seconds, char separator) {
    if (!isLapTime(seconds)) {
        return "-:--,---";
    }
    const float whole = std::trunc(seconds);
    auto minutes = static_cast<long long>(std::trunc(seconds / 60));
    long long secs = static_cast<long long>(whole) - minutes * 60;
    const float fraction = seconds - whole;
    auto thousandths = static_cast<long long>(std::round(static_cast<double>(fraction) * 1000));
    if (thousandths >= 1000) {
        thousandths -= 1000;
        if (++secs == 60) {
            secs = 0;
            ++minutes;
        }
    }
    return patternText(static_cast<double>(minutes), "0", separator) + ":" +
           patternText(static_cast<double>(secs), "00", separator) +
           patternText(static_cast<double>(thousandths) / 1000, ".000", separator);
}

std::string signedSecondsText(double seconds, int decimals, char separator) {
    static constexpr std::string_view kPatterns[] = {"0", "0.0", "0.00", "0.000"};
    const std::string magnitude =
        patternText(std::fabs(seconds), kPatterns[std::clamp(decimals, 0, 3)], separator);
    // The sign of what is written: a difference too small to show is no loss.
    const bool zero = magnitude.find_first_of("123456789") == std::string::npos;
    return (seconds < 0 && !zero ? "-" : "+") + magnitude;
}

} // namespace ostrelo::dashboard
