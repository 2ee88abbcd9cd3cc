// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace ostrelo::platform {

/// Asks the window manager of the X display named by $DISPLAY to keep the top-level window
/// `window` above the others and out of the taskbar and the pager (_NET_WM_STATE_ABOVE,
/// _SKIP_TASKBAR, _SKIP_PAGER): written into the window's state before it is mapped, asked of
/// the window manager once it is. Does nothing when the display cannot be reached.
void x11KeepAboveOutOfTaskbar(std::uint32_t window);

/// Empties (or gives back) the input shape of every window between `window` and the root:
/// the frames the window manager put it in, which would take the clicks its own empty input
/// shape lets through.
void x11LetClicksThroughFrame(std::uint32_t window, bool through);

/// Whether the xcb event `message` is a ReparentNotify or a MapNotify.
bool x11IsReparentNotify(const void *message);

} // namespace ostrelo::platform
