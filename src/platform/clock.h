// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace ostrelo::platform {

/// Milliseconds on a steady counter, wrapping like a 32-bit signed number.
std::int32_t tickCountMs();

} // namespace ostrelo::platform
