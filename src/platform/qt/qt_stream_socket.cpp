// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/qt_stream_socket.h"

#include "core/error.h"

namespace ostrelo::platform {
namespace {

void checkPort(int port) {
    if (port < 0 || port > 65535) {
        throw core::RunTimeError("Socket", "Invalid port " + std::to_string(port));
    }
}

} // namespace

QtStreamSocket::QtStreamSocket(bool discardIncoming, QObject *parent)
    : QObject(parent), m_discardIncoming(discardIncoming) {
    QObject::connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket *incoming = m_server.nextPendingConnection()) {
            dropSocket(m_pending);
            m_pending = incoming;
        }
        if (onConnectionRequest) {
            onConnectionRequest();
        }
    });
}

QtStreamSocket::~QtStreamSocket() {
    dropSocket(m_socket);
    dropSocket(m_pending);
}

void QtStreamSocket::dropSocket(QPointer<QTcpSocket> &socket) {
    if (socket) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    socket = nullptr;
}

void QtStreamSocket::adopt(QTcpSocket *socket) {
    m_socket = socket;
    m_failed = false;
    QObject::connect(socket, &QTcpSocket::bytesWritten, this, [this] {
        if (m_socket && m_socket->bytesToWrite() == 0 && onSendComplete) {
            onSendComplete();
        }
    });
    QObject::connect(socket, &QTcpSocket::readyRead, this, [this] {
        if (!m_socket) {
            return;
        }
        if (m_discardIncoming) {
            m_socket->skip(m_socket->bytesAvailable());
        } else if (onDataArrival) {
            onDataArrival();
        }
    });
    QObject::connect(socket, &QTcpSocket::errorOccurred, this, [this] { m_failed = true; });
}

int QtStreamSocket::state() const {
    if (m_server.isListening()) {
        return kSocketListening;
    }
    if (!m_socket) {
        return kSocketClosed;
    }
    switch (m_socket->state()) {
    case QAbstractSocket::HostLookupState:
        return kSocketResolvingHost;
    case QAbstractSocket::ConnectingState:
        return kSocketConnecting;
    case QAbstractSocket::ConnectedState:
        return kSocketConnected;
    case QAbstractSocket::BoundState:
        return kSocketOpen;
    case QAbstractSocket::ClosingState:
        return kSocketClosing;
    case QAbstractSocket::ListeningState:
        return kSocketListening;
    case QAbstractSocket::UnconnectedState:
        break;
    }
    return m_failed ? kSocketError : kSocketClosed;
}

void QtStreamSocket::listen(int port) {
    checkPort(port);
    if (!m_server.listen(QHostAddress::Any, static_cast<quint16>(port))) {
        throw ListenError(port, m_server.errorString().toStdString());
    }
}

void QtStreamSocket::connect(const std::string &host, int port) {
    checkPort(port);
    dropSocket(m_socket);
    auto *socket = new QTcpSocket(this);
    adopt(socket);
    socket->connectToHost(QString::fromStdString(host), static_cast<quint16>(port));
}

void QtStreamSocket::accept() {
    if (!m_pending) {
        return;
    }
    dropSocket(m_socket);
    QTcpSocket *socket = m_pending;
    m_pending = nullptr;
    socket->setParent(this);
    adopt(socket);
    if (m_discardIncoming && socket->bytesAvailable() > 0) {
        socket->skip(socket->bytesAvailable());
    }
}

void QtStreamSocket::close() {
    m_server.close();
    dropSocket(m_socket);
    m_failed = false;
}

void QtStreamSocket::send(std::string_view bytes) {
    if (!m_socket || m_socket->state() != QAbstractSocket::ConnectedState) {
        throw core::RunTimeError("SendData", "The socket is not connected");
    }
    const qint64 written = m_socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
    if (written != static_cast<qint64>(bytes.size())) {
        throw core::RunTimeError("SendData",
                                 "Sending failed: " + m_socket->errorString().toStdString());
    }
}

std::string QtStreamSocket::receiveAll() {
    if (!m_socket) {
        return {};
    }
    const QByteArray data = m_socket->readAll();
    return {data.constData(), static_cast<std::size_t>(data.size())};
}

} // namespace ostrelo::platform
