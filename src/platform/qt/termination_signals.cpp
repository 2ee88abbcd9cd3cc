// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/termination_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace ostrelo::platform {
namespace {

// The write end of the pipe that carries a signal into the event loop.
int g_signalFd = -1;

void onSignal(int) {
    const char byte = 1;
    // Only async-signal-safe work here: hand the signal over and return.
    [[maybe_unused]] const ssize_t written = ::write(g_signalFd, &byte, 1);
}

} // namespace

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        return;
    }
    g_signalFd = fds[0];
    m_notifier = new QSocketNotifier(fds[1], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, [] { QCoreApplication::quit(); });
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    if (m_notifier) {
        ::close(static_cast<int>(m_notifier->socket()));
        ::close(g_signalFd);
        g_signalFd = -1;
    }
}

} // namespace ostrelo::platform
