// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <string>

namespace ostrelo::dashboard {

/// The lines of the debug window that the display phase writes while debugging is on, by the
/// number of the window's label (1 to 6, 20).
struct DebugLines {
    std::array<std::string, 21> line;
    bool operator==(const DebugLines &) const = default;
};

} // namespace ostrelo::dashboard
