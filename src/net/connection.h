// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "i18n/texts.h"
#include "platform/stream_socket.h"
#include "runtime/app_state.h"

#include <functional>
#include <string>

namespace ostrelo::net {

/// What the connection status line says.
enum class LinkStatus { None, NoConnection, Listening, Connecting, Connected };

/// The status line's text in the language of `texts`; empty for `None`.
const std::string &linkStatusText(LinkStatus status, const i18n::Texts &texts);

/// The one TCP link between a server (the game computer) and a client: kept up on every
/// tick, one client at a time, at most one frame in flight.
class Connection {
public:
    Connection(const core::Settings &settings, const i18n::Texts &texts, runtime::LinkState &link,
               platform::StreamSocket &server, platform::StreamSocket &client);

    /// Each tick: the connected flags, the link status, and listening (server) or connecting
    /// (client) again when needed. Throws core::RunTimeError when listening or connecting
    /// fails, for example on a port in use; a failure to listen also goes to
    /// `onListenFailure`, once for each reason until listening works.
    void upkeep();

    /// The link as the last upkeep found it.
    LinkStatus status() const { return m_status; }

    /// Why the server cannot listen, in words a user can act on, in the language in force.
    std::function<void(const std::string &)> onListenFailure;

    /// Closes both sockets, for the mode without connection.
    void closeBoth();

    /// A client asks to connect: the server stops listening and takes it on its own socket.
    void acceptConnection();

    /// The server's socket has handed the whole last frame to the system.
    void sendComplete() { m_link.SendReady = true; }

    /// True when a frame may go out now: server mode, a client connected, the last frame gone.
    bool canSend() const;

    /// Called when the client starts a new connection attempt: whatever the last connection
    /// left half received belongs to no frame of the next one.
    std::function<void()> onClientConnecting;

    /// Sends `frame` when `canSend()`; otherwise the frame is dropped. Throws
    /// core::RunTimeError when the socket refuses it (`SendReady` then stays false).
    void send(const std::string &frame);

private:
    const core::Settings &m_settings;
    const i18n::Texts &m_texts;
    runtime::LinkState &m_link;
    platform::StreamSocket &m_server;
    platform::StreamSocket &m_client;
    LinkStatus m_status = LinkStatus::None;
    std::string m_shownListenFailure;
};

} // namespace ostrelo::net
