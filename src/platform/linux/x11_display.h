// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

namespace ostrelo::platform {

/// Why the X display named by $DISPLAY cannot be used, or an empty text when it can.
std::string x11DisplayProblem();

} // namespace ostrelo::platform
