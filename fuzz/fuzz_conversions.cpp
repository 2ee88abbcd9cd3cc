// SPDX-License-Identifier: GPL-3.0-or-later
// The shared conversions: reading any text never fails, a number written and read back
// stays the same number, and a flag is read or refused, never anything else.
#include "core/conversions.h"
#include "core/error.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

namespace {

// The plain decimal part of the input (digits, one point, an exponent) must read exactly as
// the C library reads it: same value to the last bit, infinities and zeros included.
void compareWithStrtod(std::string_view text) {
    std::string plain;
    bool point = false;
    bool digit = false;
    std::size_t i = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            plain += c;
            digit = true;
        } else if (c == '.' && !point) {
            plain += c;
            point = true;
        } else if (c == 'e' || c == 'E') {
            break;
        }
    }
    if (!digit) {
        return;
    }
    std::string exponent;
    for (++i; i < text.size() && exponent.size() < 12; ++i) {
        const char c = text[i];
        if ((c == '-' || c == '+') && exponent.empty()) {
            exponent += c;
        } else if (c >= '0' && c <= '9') {
            exponent += c;
        }
    }
    if (!exponent.empty() && exponent.back() >= '0' && exponent.back() <= '9') {
        plain += 'e' + exponent;
    }
    const double ours = ostrelo::core::TextToNumber(plain);
    const double theirs = std::strtod(plain.c_str(), nullptr);
    // The one difference by design: a number that only its rounding takes past the largest
    // double reads as the largest double, so that the largest double's 15-digit text reads
    // back as itself.
    if (std::isinf(theirs) && std::fabs(ours) == std::numeric_limits<double>::max()) {
        return;
    }
    if (std::memcmp(&ours, &theirs, sizeof ours) != 0) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace ostrelo::core;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    compareWithStrtod(text);
    const double value = TextToNumber(text);
    if (std::isfinite(value)) {
        const double again = TextToNumber(NumberToText(value));
        if (std::fabs(again - value) > std::fabs(value) * 1e-14) {
            __builtin_trap();
        }
        try {
            ToInteger16(value);
        } catch (const RunTimeError &) {
        }
    }
    try {
        TextToFlag(text);
    } catch (const RunTimeError &) {
    }
    return 0;
}
