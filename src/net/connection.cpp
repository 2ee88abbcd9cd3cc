// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/connection.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/ip_address.h"

namespace ostrelo::net {

using platform::kSocketConnected;
using platform::kSocketConnecting;
using platform::kSocketListening;

const std::string &linkStatusText(LinkStatus status, const i18n::Texts &t) {
    static const std::string kNone;
    switch (status) {
    case LinkStatus::NoConnection:
        return t.TextNoConnection;
    case LinkStatus::Listening:
        return t.TextListening;
    case LinkStatus::Connecting:
        return t.TextConnecting;
    case LinkStatus::Connected:
        return t.TextConnected;
    case LinkStatus::None:
        break;
    }
    return kNone;
}

Connection::Connection(runtime::AppState &state, platform::StreamSocket &server,
                       platform::StreamSocket &client)
    : m_state(state), m_server(server), m_client(client) {
}

void Connection::closeBoth() {
    if (m_server.state() != 0) {
        m_server.close();
    }
    if (m_client.state() != 0) {
        m_client.close();
    }
}

void Connection::upkeep() {
    const int serverState = m_server.state();
    const int clientState = m_client.state();
    if (serverState == kSocketConnected) {
        m_state.ServerConnected = true;
    } else if (clientState == kSocketConnected) {
        m_state.ClientConnected = true;
    } else {
        m_state.ServerConnected = false;
        m_state.ClientConnected = false;
    }

    const core::ConnectionMode mode = m_state.settings.TipusConexio;
    using enum LinkStatus;
    if (mode == core::ConnectionMode::Server) {
        m_status = serverState == kSocketListening   ? Listening
                   : serverState == kSocketConnected ? Connected
                                                     : NoConnection;
    } else if (mode == core::ConnectionMode::Client) {
        m_status = clientState == kSocketConnecting  ? Connecting
                   : clientState == kSocketConnected ? Connected
                                                     : NoConnection;
    } else {
        m_status = None;
    }

    if (serverState == kSocketListening) {
        m_shownListenFailure.clear();
    }
    if (mode == core::ConnectionMode::Server && !m_state.ServerConnected &&
        serverState != kSocketListening) {
        closeBoth();
        const std::int32_t port = core::ToInteger32(core::TextToNumber(m_state.settings.Port));
        try {
            m_server.listen(port);
        } catch (const core::RunTimeError &error) {
            // A status of "none" alone would leave the user guessing: say why, once for each
            // reason, and let the tick's trap report it as before. Below 1024 the likely
            // reason is the port itself.
            if (error.what() != m_shownListenFailure) {
                m_shownListenFailure = error.what();
                if (onListenFailure) {
                    onListenFailure(port < 1024
                                        ? m_shownListenFailure + "\n\n" + m_state.texts.TextPortHelp
                                        : m_shownListenFailure);
                }
            }
            throw;
        }
        m_state.SendReady = true;
    }
    if (mode == core::ConnectionMode::Client && !m_state.ClientConnected &&
        clientState != kSocketConnecting) {
        closeBoth();
        if (onClientConnecting) {
            onClientConnecting();
        }
        m_client.connect(core::RemoteAddress(m_state.settings.IP),
                         core::ToInteger32(core::TextToNumber(m_state.settings.Port)));
    }
}

void Connection::acceptConnection() {
    if (m_server.state() != 0) {
        m_server.close();
    }
    m_server.accept();
}

bool Connection::canSend() const {
    return m_state.settings.TipusConexio == core::ConnectionMode::Server &&
           m_state.ServerConnected && m_state.SendReady;
}

void Connection::send(const std::string &frame) {
    if (!canSend()) {
        return;
    }
    m_state.SendReady = false;
    m_server.send(frame);
}

} // namespace ostrelo::net
