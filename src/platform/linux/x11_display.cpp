// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11_display.h"

#include <cstdlib>
#include <xcb/xcb.h>

namespace ostrelo::platform {

std::string x11DisplayProblem() {
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display) {
        return "no display found (DISPLAY is not set)";
    }
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool failed = xcb_connection_has_error(connection) != 0;
    xcb_disconnect(connection);
    return failed ? std::string("cannot connect to the X display ") + display : std::string();
}

} // namespace ostrelo::platform
