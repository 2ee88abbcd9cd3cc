// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/process_memory.h"

#include <cstdint>
#include <memory>
#include <string>

namespace ostrelo::platform {

/// The game's windows and memory as this operating system reaches them; the build chooses
/// the backend.
std::unique_ptr<ProcessMemory> nativeProcessMemory();

/// Why this system's display cannot show a window, in words a user can act on; empty when
/// it can.
std::string nativeDisplayProblem();

/// Keeps the top-level window `window` (the system's id of it, not shown yet or shown) above
/// the other windows and out of the taskbar, where the toolkit's window flags alone do not.
void keepAboveOutOfTaskbar(std::uintptr_t window);

/// Lets the mouse through the frame the window manager put around `window` (or not): the
/// toolkit makes the window itself transparent to input, but a frame around it would still
/// take every click. Called again whenever the window is put in another frame.
void letClicksThroughFrame(std::uintptr_t window, bool through);

/// Whether the toolkit's native event `message` tells that a window was put in another frame
/// or shown in it (on X11, a ReparentNotify or a MapNotify: a window manager frames a window
/// before it maps it).
bool isReframing(const void *message);

} // namespace ostrelo::platform
