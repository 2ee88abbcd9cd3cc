// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/process_memory.h"

#include <memory>
#include <string>

namespace ostrelo::platform {

/// The game's windows and memory as this operating system reaches them; the build chooses
/// the backend.
std::unique_ptr<ProcessMemory> nativeProcessMemory();

/// Why this system's display cannot show a window, in words a user can act on; empty when
/// it can.
std::string nativeDisplayProblem();

} // namespace ostrelo::platform
