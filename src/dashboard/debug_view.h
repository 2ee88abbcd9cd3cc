// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace ostrelo::dashboard {

/// The lines of the debug window that the display phase writes while debugging is on.
class DebugView {
public:
    virtual ~DebugView() = default;
    /// Sets the text of the debug window's label `label` (1 to 6, 20).
    virtual void setDebugLine(int label, std::string_view text) = 0;
};

} // namespace ostrelo::dashboard
