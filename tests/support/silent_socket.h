// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace ostrelo::testing {

/// A Unix socket at `path` that takes connections and never answers them: a daemon that
/// holds whoever waits for its reply.
class SilentSocket {
public:
    explicit SilentSocket(const std::string &path) : m_fd(socket(AF_UNIX, SOCK_STREAM, 0)) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        if (m_fd < 0 || path.size() >= sizeof(address.sun_path)) {
            return;
        }
        path.copy(address.sun_path, path.size());
        m_listening = bind(m_fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)) == 0 &&
                      listen(m_fd, 8) == 0;
    }
    ~SilentSocket() {
        if (m_fd >= 0) {
            close(m_fd);
        }
    }
    SilentSocket(const SilentSocket &) = delete;
    SilentSocket &operator=(const SilentSocket &) = delete;

    bool listening() const { return m_listening; }

private:
    int m_fd;
    bool m_listening = false;
};

} // namespace ostrelo::testing
