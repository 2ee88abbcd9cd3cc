// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/error.h"

#include <functional>
#include <string>
#include <string_view>
#include <utility>

namespace ostrelo::platform {

/// State codes of a stream socket, numbered as the program has always shown them.
enum SocketState : int {
    kSocketClosed = 0,
    kSocketOpen = 1,
    kSocketListening = 2,
    kSocketConnectionPending = 3,
    kSocketResolvingHost = 4,
    kSocketHostResolved = 5,
    kSocketConnecting = 6,
    kSocketConnected = 7,
    kSocketClosing = 8,
    kSocketError = 9,
};

/// Listening failed: the port and the system's own description of the error, as it came, from
/// which the user's message is made in the language in force. `what()` is the line for the
/// error reports.
class ListenError : public core::RunTimeError {
public:
    ListenError(int port, std::string systemText)
        : RunTimeError("Listen",
                       "Cannot listen on port " + std::to_string(port) + ": " + systemText),
          m_port(port), m_systemText(std::move(systemText)) {}

    int port() const { return m_port; }
    const std::string &systemText() const { return m_systemText; }

private:
    int m_port;
    std::string m_systemText;
};

/// One TCP stream socket object that can listen, accept one connection on itself, connect,
/// send asynchronously and hand over what arrived. Everything runs on the caller's thread;
/// progress shows through `state()` and the three event callbacks.
class StreamSocket {
public:
    virtual ~StreamSocket() = default;

    /// The state code now.
    virtual int state() const = 0;
    /// Listens on `port` on every local address. Throws ListenError when the system refuses,
    /// core::RunTimeError for a port out of range.
    virtual void listen(int port) = 0;
    /// Starts connecting to `host`:`port`. Throws core::RunTimeError on a bad port.
    virtual void connect(const std::string &host, int port) = 0;
    /// Takes the connection announced by `onConnectionRequest` on this same object.
    virtual void accept() = 0;
    /// Closes whatever the object holds: listening, connecting or connected.
    virtual void close() = 0;
    /// Hands `bytes` over for sending; `onSendComplete` follows once all of it has gone to
    /// the system. Throws core::RunTimeError when not connected.
    virtual void send(std::string_view bytes) = 0;
    /// Everything received so far.
    virtual std::string receiveAll() = 0;

    std::function<void()> onConnectionRequest;
    std::function<void()> onSendComplete;
    std::function<void()> onDataArrival;
};

} // namespace ostrelo::platform
