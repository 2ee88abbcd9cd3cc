// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/stream_socket.h"

#include <QObject>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>

namespace ostrelo::platform {

/// A stream socket over QTcpServer and QTcpSocket on the user-interface thread. As a server
/// it holds at most one connection and never keeps what that connection sends.
class QtStreamSocket : public QObject, public StreamSocket {
    Q_OBJECT

public:
    /// `discardIncoming` drops every byte that arrives instead of keeping it (the server).
    explicit QtStreamSocket(bool discardIncoming, QObject *parent = nullptr);
    ~QtStreamSocket() override;

    int state() const override;
    void listen(int port) override;
    void connect(const std::string &host, int port) override;
    void accept() override;
    void close() override;
    void send(std::string_view bytes) override;
    std::string receiveAll() override;

    /// Received bytes held and not yet taken.
    qint64 bytesHeld() const { return m_socket ? m_socket->bytesAvailable() : 0; }

private:
    void adopt(QTcpSocket *socket);
    void dropSocket(QPointer<QTcpSocket> &socket);

    bool m_discardIncoming;
    QTcpServer m_server;
    QPointer<QTcpSocket> m_socket;
    QPointer<QTcpSocket> m_pending;
    bool m_failed = false;
};

} // namespace ostrelo::platform
