// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct xcb_connection_t;

namespace ostrelo::platform {

/// Finds a window by its title on the X display named by $DISPLAY, and the process it names
/// (`_NET_WM_PID`). One X connection serves every search; it is made again when the server
/// drops it.
class X11WindowSearch {
public:
    X11WindowSearch();
    ~X11WindowSearch();
    X11WindowSearch(const X11WindowSearch &) = delete;
    X11WindowSearch &operator=(const X11WindowSearch &) = delete;

    /// The top-level window whose title is `title` (UTF-8), or 0. Without a display, 0, and
    /// `problem()` says why.
    std::uint32_t findWindow(std::string_view title);
    /// The process `window` names, or 0.
    std::uint32_t windowProcess(std::uint32_t window);
    /// True when the window that last named `process` is still open and still names it.
    bool stillNamed(std::uint32_t process);

    /// Why the last search could not look, in words a user can act on; empty when it could.
    const std::string &problem() const { return m_problem; }

private:
    bool connected();
    void fail(std::string problem);
    std::uint32_t atom(const char *name);
    std::vector<std::uint32_t> topLevelWindows();
    std::string windowTitle(std::uint32_t window);

    xcb_connection_t *m_connection = nullptr;
    std::string m_problem;
    std::uint32_t m_root = 0;
    std::uint32_t m_netClientList = 0;
    std::uint32_t m_netWmName = 0;
    std::uint32_t m_utf8String = 0;
    std::uint32_t m_netWmPid = 0;
    // The window each title was last found on: checking it again costs one request, where a
    // search asks about every window on the desktop.
    std::map<std::string, std::uint32_t, std::less<>> m_found;
    // The window `windowProcess` was last asked about, and the process it named.
    struct NamedProcess {
        std::uint32_t window = 0;
        std::uint32_t process = 0;
    };
    NamedProcess m_named;
};

} // namespace ostrelo::platform
