// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/error.h"
#include "platform/stream_socket.h"

#include <string>
#include <utility>
#include <vector>

namespace ostrelo::testing {

/// A socket whose state the test sets, remembering what it was asked to do.
class FakeStreamSocket : public platform::StreamSocket {
public:
    int state() const override { return currentState; }
    void listen(int port) override {
        calls.push_back("listen " + std::to_string(port));
        if (listenFails) {
            throw platform::ListenError(port, "port in use");
        }
        currentState = platform::kSocketListening;
    }
    void connect(const std::string &host, int port) override {
        calls.push_back("connect " + host + ":" + std::to_string(port));
        currentState = platform::kSocketConnecting;
    }
    void accept() override {
        calls.emplace_back("accept");
        currentState = platform::kSocketConnected;
    }
    void close() override {
        calls.emplace_back("close");
        currentState = platform::kSocketClosed;
    }
    void send(std::string_view bytes) override { sent.emplace_back(bytes); }
    std::string receiveAll() override { return std::exchange(incoming, {}); }

    int currentState = platform::kSocketClosed;
    bool listenFails = false;
    std::vector<std::string> calls;
    std::vector<std::string> sent;
    std::string incoming;
};

} // namespace ostrelo::testing
