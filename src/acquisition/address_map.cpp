// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/address_map.h"

#include "core/error.h"

#include <limits>

namespace ostrelo::acquisition::address {

std::int32_t slotField(std::int16_t slot, std::int32_t slotZeroAddress) {
    const std::int64_t value =
        static_cast<std::int64_t>(slot) * SlotStride + static_cast<std::int64_t>(slotZeroAddress);
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        throw core::RunTimeError("slotField", "Overflow: the address of slot " +
                                                  std::to_string(slot) + " is out of range");
    }
    return static_cast<std::int32_t>(value);
}

} // namespace ostrelo::acquisition::address
