// SPDX-License-Identifier: GPL-3.0-or-later
#include "net/connection.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/ip_address.h"
#include "i18n/messages.h"

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

Connection::Connection(const core::Settings &settings, const i18n::Texts &texts,
                       runtime::LinkState &link, platform::StreamSocket &server,
                       platform::StreamSocket &client)
    : m_settings(settings), m_texts(texts), m_link(link), m_server(server), m_client(client) {
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
        m_link.ServerConnected = true;
    } else if (clientState == kSocketConnected) {
        m_link.ClientConnected = true;
    } else {
        m_link.ServerConnected = false;
        m_link.ClientConnected = false;
    }

    const core::ConnectionMode mode = m_settings.TipusConexio;
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
    if (mode == core::ConnectionMode::Server && !m_link.ServerConnected &&
        serverState != kSocketListening) {
        closeBoth();
        const std::int32_t port = core::ToInteger32(core::TextToNumber(m_settings.Port));
        try {
            m_server.listen(port);
        } catch (const platform::ListenError &error) {
            // A status of "none" alone would leave the user guessing: say why, once for each
            // port and reason, in the language in force, and let the tick's trap report it as
            // before. Below 1024 the likely reason is the port itself.
            const std::string reason = std::to_string(port) + ' ' + error.systemText();
            if (reason != m_shownListenFailure) {
                m_shownListenFailure = reason;
                const i18n::Texts &t = m_texts;
                const std::string text =
                    i18n::fill(t.TextCannotListen, {std::to_string(port), error.systemText()});
                if (onListenFailure) {
                    onListenFailure(port < 1024 ? text + "\n\n" + t.TextPortHelp : text);
                }
            }
            throw;
        }
        m_link.SendReady = true;
    }
    if (mode == core::ConnectionMode::Client && !m_link.ClientConnected &&
        clientState != kSocketConnecting) {
        closeBoth();
        if (onClientConnecting) {
            onClientConnecting();
        }
        m_client.connect(core::RemoteAddress(m_settings.IP),
                         core::ToInteger32(core::TextToNumber(m_settings.Port)));
    }
}

void Connection::acceptConnection() {
    if (m_server.state() != 0) {
        m_server.close();
    }
    m_server.accept();
}

bool Connection::canSend() const {
    return m_settings.TipusConexio == core::ConnectionMode::Server && m_link.ServerConnected &&
           m_link.SendReady;
}

void Connection::send(const std::string &frame) {
    if (!canSend()) {
        return;
    }
    m_link.SendReady = false;
    m_server.send(frame);
}

} // namespace ostrelo::net
