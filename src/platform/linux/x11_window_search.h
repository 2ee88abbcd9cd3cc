// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

struct xcb_connection_t;

namespace ostrelo::platform {

/// Finds a window by its title on the X display named by $DISPLAY, and the process it names
/// (`_NET_WM_PID`). One X connection serves every search; it is made again when the server
/// drops it. The server tells this connection when windows come and go and when a title
/// changes; until it has told anything, a search answers as it did last time without asking
/// the server again.
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
    /// How many times the desktop's windows were asked for their titles.
    int searches() const { return m_searches; }

private:
    bool connected();
    void fail(std::string problem);
    std::uint32_t atom(const char *name);
    std::vector<std::uint32_t> topLevelWindows();
    std::uint32_t search(std::string_view title);
    void readEvents();

    xcb_connection_t *m_connection = nullptr;
    std::string m_problem;
    std::uint32_t m_root = 0;
    std::uint32_t m_netClientList = 0;
    std::uint32_t m_netWmName = 0;
    std::uint32_t m_utf8String = 0;
    std::uint32_t m_netWmPid = 0;
    // The last answer for each title (0: none), good until the server tells of a change.
    std::map<std::string, std::uint32_t, std::less<>> m_answers;
    // The windows whose titles and end this connection is told of.
    std::set<std::uint32_t> m_watched;
    int m_searches = 0;
    // The window `windowProcess` was last asked about, and the process it named.
    struct NamedProcess {
        std::uint32_t window = 0;
        std::uint32_t process = 0;
    };
    NamedProcess m_named;
};

} // namespace ostrelo::platform
