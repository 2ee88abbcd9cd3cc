// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/formats.h"

#include "core/conversions.h"

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

std::string lapTimeText(float seconds, char separator) {
    // A day or more is no lap time: any 4 bytes can arrive here, and the minutes of such a
    // value would not fit an integer.
    constexpr float kLongestLapSeconds = 86400;
    if (!(seconds > 0 && seconds < kLongestLapSeconds)) {
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

} // namespace ostrelo::dashboard
