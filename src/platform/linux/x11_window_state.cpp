// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/x11_window_state.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>
#include <xcb/shape.h>
#include <xcb/xcb.h>

namespace ostrelo::platform {
namespace {

struct Disconnect {
    void operator()(xcb_connection_t *connection) const { xcb_disconnect(connection); }
};

template <typename Reply> using Owned = std::unique_ptr<Reply, decltype(&std::free)>;

xcb_atom_t atom(xcb_connection_t *connection, const char *name) {
    const Owned<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(
            connection,
            xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
            nullptr),
        &std::free);
    return reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
}

} // namespace

void x11KeepAboveOutOfTaskbar(std::uint32_t window) {
    const std::unique_ptr<xcb_connection_t, Disconnect> owned(xcb_connect(nullptr, nullptr));
    xcb_connection_t *connection = owned.get();
    if (xcb_connection_has_error(connection)) {
        return;
    }
    const xcb_atom_t state = atom(connection, "_NET_WM_STATE");
    const std::array<xcb_atom_t, 3> wanted = {atom(connection, "_NET_WM_STATE_ABOVE"),
                                              atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
                                              atom(connection, "_NET_WM_STATE_SKIP_PAGER")};
    const Owned<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(connection, xcb_get_window_attributes(connection, window),
                                        nullptr),
        &std::free);
    if (!attributes) {
        return;
    }
    if (attributes->map_state != XCB_MAP_STATE_UNMAPPED) {
        // A managed window's state belongs to the window manager: it is asked, two states a
        // message.
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(connection)).data;
        for (std::size_t i = 0; i < wanted.size(); i += 2) {
            xcb_client_message_event_t message{};
            message.response_type = XCB_CLIENT_MESSAGE;
            message.format = 32;
            message.window = window;
            message.type = state;
            message.data.data32[0] = 1; // add
            message.data.data32[1] = wanted[i];
            message.data.data32[2] =
                i + 1 < wanted.size() ? wanted[i + 1] : xcb_atom_t{XCB_ATOM_NONE};
            message.data.data32[3] = 1; // asked by an application
            xcb_send_event(connection, 0, screen->root,
                           XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT |
                               XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                           reinterpret_cast<const char *>(&message));
        }
        xcb_flush(connection);
        return;
    }
    // Unmapped: the window manager reads the state when the window is mapped. What the toolkit
    // put there already stays.
    const Owned<xcb_get_property_reply_t> current(
        xcb_get_property_reply(connection,
                               xcb_get_property(connection, 0, window, state, XCB_ATOM_ATOM, 0, 64),
                               nullptr),
        &std::free);
    std::vector<xcb_atom_t> states;
    if (current && current->format == 32) {
        const auto *held = static_cast<const xcb_atom_t *>(xcb_get_property_value(current.get()));
        states.assign(held, held + xcb_get_property_value_length(current.get()) / 4);
    }
    for (const xcb_atom_t add : wanted) {
        if (std::find(states.begin(), states.end(), add) == states.end()) {
            states.push_back(add);
        }
    }
    // Checked, so that the server has it before the toolkit maps the window on its own
    // connection.
    const xcb_void_cookie_t done =
        xcb_change_property_checked(connection, XCB_PROP_MODE_REPLACE, window, state, XCB_ATOM_ATOM,
                                    32, static_cast<std::uint32_t>(states.size()), states.data());
    std::free(xcb_request_check(connection, done));
}

void x11LetClicksThroughFrame(std::uint32_t window, bool through) {
    const std::unique_ptr<xcb_connection_t, Disconnect> owned(xcb_connect(nullptr, nullptr));
    xcb_connection_t *connection = owned.get();
    if (xcb_connection_has_error(connection)) {
        return;
    }
    for (xcb_window_t frame = window;;) {
        const Owned<xcb_query_tree_reply_t> tree(
            xcb_query_tree_reply(connection, xcb_query_tree(connection, frame), nullptr),
            &std::free);
        if (!tree || tree->parent == XCB_NONE || tree->parent == tree->root) {
            break;
        }
        frame = tree->parent;
        if (through) {
            xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                                 XCB_CLIP_ORDERING_UNSORTED, frame, 0, 0, 0, nullptr);
        } else {
            // No shape at all: the frame's whole area.
            xcb_shape_mask(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, frame, 0, 0, XCB_NONE);
        }
    }
    std::free(xcb_get_input_focus_reply(connection, xcb_get_input_focus(connection), nullptr));
}

bool x11IsReparentNotify(const void *message) {
    const auto *event = static_cast<const xcb_generic_event_t *>(message);
    const int type = event ? event->response_type & 0x7F : 0;
    return type == XCB_REPARENT_NOTIFY || type == XCB_MAP_NOTIFY;
}

} // namespace ostrelo::platform
