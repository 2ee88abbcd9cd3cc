// The shared conversions: reading any text never fails, a number written and read back
// stays the same number, and a flag is read or refused, never anything else.
#include "core/conversions.h"
#include "core/error.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    using namespace ostrelo::core;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
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
