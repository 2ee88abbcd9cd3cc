// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/clock.h"

#include <chrono>

namespace ostrelo::platform {

std::int32_t tickCountMs() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now).count();
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(ms));
}

} // namespace ostrelo::platform
