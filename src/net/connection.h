// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/app_state.h"
#include "core/main_view.h"
#include "platform/stream_socket.h"

#include <functional>
#include <string>

namespace ostrelo::net {

/// The one TCP link between a server (the game computer) and a client: kept up on every
/// tick, one client at a time, at most one frame in flight.
class Connection {
public:
    Connection(core::AppState &state, core::MainView &view, platform::StreamSocket &server,
               platform::StreamSocket &client);

    /// Each tick: the connected flags, the status line, and listening (server) or connecting
    /// (client) again when needed. Throws core::RunTimeError when listening or connecting
    /// fails, for example on a port in use; a failure to listen is also shown to the user,
    /// once for each reason until listening works.
    void upkeep();

    /// Closes both sockets, for the mode without connection.
    void closeBoth();

    /// A client asks to connect: the server stops listening and takes it on its own socket.
    void acceptConnection();

    /// The server's socket has handed the whole last frame to the system.
    void sendComplete() { m_state.SendReady = true; }

    /// True when a frame may go out now: server mode, a client connected, the last frame gone.
    bool canSend() const;

    /// Called when the client starts a new connection attempt: whatever the last connection
    /// left half received belongs to no frame of the next one.
    std::function<void()> onClientConnecting;

    /// Sends `frame` when `canSend()`; otherwise the frame is dropped. Throws
    /// core::RunTimeError when the socket refuses it (`SendReady` then stays false).
    void send(const std::string &frame);

private:
    core::AppState &m_state;
    core::MainView &m_view;
    platform::StreamSocket &m_server;
    platform::StreamSocket &m_client;
    std::string m_shownListenFailure;
};

} // namespace ostrelo::net
