// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11_window_search.h"

#include <cstdlib>
#include <cstring>
#include <memory>
#include <xcb/xcb.h>

namespace ostrelo::platform {
namespace {

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

std::string latin1ToUtf8(std::string_view latin1) {
    std::string out;
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

std::string propertyText(const xcb_get_property_reply_t *reply) {
    if (!reply || reply->format != 8) {
        return {};
    }
    const auto *data = static_cast<const char *>(xcb_get_property_value(reply));
    return {data, static_cast<std::size_t>(xcb_get_property_value_length(reply))};
}

} // namespace

X11WindowSearch::X11WindowSearch() = default;

X11WindowSearch::~X11WindowSearch() {
    if (m_connection) {
        xcb_disconnect(m_connection);
    }
}

void X11WindowSearch::fail(std::string problem) {
    m_problem = std::move(problem);
}

std::uint32_t X11WindowSearch::atom(const char *name) {
    // Interned, not only looked up: an atom no program has named yet (no window manager, the
    // game not started) is made now, and is the one the game's window names it with later.
    const auto cookie =
        xcb_intern_atom(m_connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    return reply ? reply->atom : static_cast<std::uint32_t>(XCB_ATOM_NONE);
}

bool X11WindowSearch::connected() {
    if (m_connection && !xcb_connection_has_error(m_connection)) {
        return true;
    }
    if (m_connection) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
    }
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display) {
        fail("No X display (DISPLAY is not set): the game window cannot be found.");
        return false;
    }
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        fail(std::string("Cannot connect to the X display ") + display +
             ": the game window cannot be found.");
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i) {
        xcb_screen_next(&screens);
    }
    m_connection = connection;
    m_root = screens.data->root;
    m_netClientList = atom("_NET_CLIENT_LIST");
    m_netWmName = atom("_NET_WM_NAME");
    m_utf8String = atom("UTF8_STRING");
    m_netWmPid = atom("_NET_WM_PID");
    // Told when the window manager's list of windows changes, and, without a window manager,
    // when windows are made, destroyed or taken in by another.
    const std::uint32_t watch = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &watch);
    m_answers.clear();
    m_watched.clear();
    return true;
}

std::vector<std::uint32_t> X11WindowSearch::topLevelWindows() {
    // A window manager lists the client windows; without one, they are the root's children.
    const auto listCookie =
        xcb_get_property(m_connection, 0, m_root, m_netClientList, XCB_ATOM_WINDOW, 0, 4096);
    XcbReply<xcb_get_property_reply_t> list(
        xcb_get_property_reply(m_connection, listCookie, nullptr));
    if (list && list->format == 32 && xcb_get_property_value_length(list.get()) > 0) {
        const auto *ids = static_cast<const xcb_window_t *>(xcb_get_property_value(list.get()));
        return {ids, ids + xcb_get_property_value_length(list.get()) / 4};
    }
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
    if (!tree) {
        return {};
    }
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

void X11WindowSearch::readEvents() {
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        // Errors about windows that vanished come back here too; nobody else reads them.
        switch (event->response_type & 0x7F) {
        case XCB_PROPERTY_NOTIFY: {
            const auto *changed = reinterpret_cast<const xcb_property_notify_event_t *>(event);
            if (changed->atom == m_netClientList || changed->atom == m_netWmName ||
                changed->atom == XCB_ATOM_WM_NAME) {
                m_answers.clear();
            }
            break;
        }
        case XCB_DESTROY_NOTIFY:
            m_watched.erase(reinterpret_cast<const xcb_destroy_notify_event_t *>(event)->window);
            m_answers.clear();
            break;
        case XCB_CREATE_NOTIFY:
        case XCB_REPARENT_NOTIFY:
            m_answers.clear();
            break;
        default:
            break;
        }
        std::free(event);
    }
}

std::uint32_t X11WindowSearch::findWindow(std::string_view title) {
    if (!connected()) {
        return 0;
    }
    m_problem.clear();
    readEvents();
    if (const auto known = m_answers.find(title); known != m_answers.end()) {
        return known->second;
    }
    const std::uint32_t found = search(title);
    m_answers.emplace(std::string(title), found);
    return found;
}

std::uint32_t X11WindowSearch::search(std::string_view title) {
    ++m_searches;
    const std::vector<std::uint32_t> windows = topLevelWindows();
    // Told of every later change of title or end of a window first, then its title read: no
    // change falls between the two.
    const std::uint32_t watch = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    for (const std::uint32_t window : windows) {
        if (m_watched.insert(window).second) {
            xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &watch);
        }
    }
    // Ask for every window's name at once, then read the answers.
    std::vector<xcb_get_property_cookie_t> netNames;
    std::vector<xcb_get_property_cookie_t> plainNames;
    netNames.reserve(windows.size());
    plainNames.reserve(windows.size());
    for (const std::uint32_t window : windows) {
        netNames.push_back(
            xcb_get_property(m_connection, 0, window, m_netWmName, m_utf8String, 0, 256));
        plainNames.push_back(
            xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 256));
    }
    std::uint32_t found = 0;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        XcbReply<xcb_get_property_reply_t> netName(
            xcb_get_property_reply(m_connection, netNames[i], nullptr));
        XcbReply<xcb_get_property_reply_t> plainName(
            xcb_get_property_reply(m_connection, plainNames[i], nullptr));
        if (found) {
            continue;
        }
        std::string name = propertyText(netName.get());
        if (name.empty()) {
            name = latin1ToUtf8(propertyText(plainName.get()));
        }
        if (name == title) {
            found = windows[i];
        }
    }
    return found;
}

std::uint32_t X11WindowSearch::windowProcess(std::uint32_t window) {
    if (!connected() || window == 0) {
        return 0;
    }
    const auto cookie =
        xcb_get_property(m_connection, 0, window, m_netWmPid, XCB_ATOM_CARDINAL, 0, 1);
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
    std::uint32_t process = 0;
    if (reply && reply->format == 32 && xcb_get_property_value_length(reply.get()) >= 4) {
        process = *static_cast<const std::uint32_t *>(xcb_get_property_value(reply.get()));
    }
    m_named = {window, process};
    return process;
}

bool X11WindowSearch::stillNamed(std::uint32_t process) {
    if (process == 0 || m_named.process != process || !connected()) {
        return false;
    }
    // One answer first, so that the server has dealt with a client that ended before the
    // question: its windows are gone by then.
    XcbReply<xcb_get_input_focus_reply_t> sync(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    return windowProcess(m_named.window) == process;
}

} // namespace ostrelo::platform
