// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/web_server.h"

#include "core/ip_address.h"
#include "web/http_request.h"

#include <QDateTime>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <QWebSocket>

namespace ostrelo::web {
namespace {

// Nothing a viewer sends is read; anything larger than this ends its connection.
constexpr quint64 kLargestIncoming = 1024;

std::string plain(std::string_view status) {
    return httpResponse(status, "text/plain; charset=utf-8", std::string(status) + "\n");
}

} // namespace

WebServer::WebServer(std::function<ViewerChoice(std::string_view)> choose, Limits limits,
                     QObject *parent)
    : QObject(parent), m_choose(std::move(choose)), m_limits(limits),
      m_webSockets(QStringLiteral("Ostrelo"), QWebSocketServer::NonSecureMode) {
    m_tcp.setMaxPendingConnections(m_limits.connections);
    connect(&m_tcp, &QTcpServer::newConnection, this, &WebServer::accept);
    connect(&m_webSockets, &QWebSocketServer::newConnection, this, &WebServer::welcome);
    m_webSockets.setHandshakeTimeout(m_limits.idleMs);
}

WebServer::~WebServer() {
    close();
}

void WebServer::addPage(const std::string &path, const std::string &contentType, QByteArray body) {
    m_pages[path] = {contentType, std::move(body)};
}

std::string WebServer::listen(const std::string &address, int port) {
    close();
    const QHostAddress host =
        address.empty() ? QHostAddress(QHostAddress::Any)
                        : QHostAddress(QString::fromStdString(core::plainListenAddress(address)));
    if (host.isNull()) {
        return "\"" + address + "\" is not an address of this computer";
    }
    if (!m_tcp.listen(host, static_cast<quint16>(port))) {
        return m_tcp.errorString().toStdString();
    }
    return {};
}

void WebServer::close() {
    m_tcp.close();
    for (auto &[socket, viewer] : m_viewers) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    m_viewers.clear();
    for (auto &[socket, watch] : m_requests) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    m_requests.clear();
}

void WebServer::accept() {
    while (QTcpSocket *socket = m_tcp.nextPendingConnection()) {
        if (static_cast<int>(m_requests.size()) >= m_limits.connections) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // A request that does not come whole in time is dropped: a trickle of bytes must not
        // hold a connection for ever.
        auto watch = std::make_unique<QObject>();
        auto *timer = new QTimer(watch.get());
        timer->setSingleShot(true);
        connect(timer, &QTimer::timeout, this, [this, socket] { forget(socket); });
        timer->start(m_limits.idleMs);
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
        m_requests.emplace(socket, std::move(watch));
        readRequest(socket);
    }
}

void WebServer::forget(QTcpSocket *socket) {
    if (m_requests.erase(socket) != 0) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

void WebServer::answer(QTcpSocket *socket, const std::string &response) {
    socket->disconnect(this);
    m_requests.erase(socket);
    socket->write(response.data(), static_cast<qint64>(response.size()));
    connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    // A browser that never takes the answer is cut off after a while.
    QTimer::singleShot(m_limits.idleMs, socket, [socket] { socket->abort(); });
    socket->disconnectFromHost();
}

void WebServer::readRequest(QTcpSocket *socket) {
    const QByteArray head = socket->peek(static_cast<qint64>(kRequestHeadLimit));
    const HttpRequest request =
        parseRequestHead(std::string_view(head.constData(), static_cast<std::size_t>(head.size())));
    using Verdict = HttpRequest::Verdict;
    switch (request.verdict) {
    case Verdict::Incomplete:
        return;
    case Verdict::BadRequest:
        answer(socket, plain("400 Bad Request"));
        return;
    case Verdict::MethodNotAllowed:
        answer(socket, plain("405 Method Not Allowed"));
        return;
    case Verdict::TooLarge:
        answer(socket, plain("431 Request Header Fields Too Large"));
        return;
    case Verdict::Get:
        break;
    }
    if (request.path == "/live") {
        if (!request.webSocket) {
            answer(socket, plain("426 Upgrade Required"));
        } else if (viewerCount() >= m_limits.viewers) {
            answer(socket, plain("503 Service Unavailable"));
        } else {
            // The WebSocket server reads the handshake itself: it is still unread.
            socket->disconnect(this);
            m_requests.erase(socket);
            m_webSockets.handleConnection(socket);
        }
        return;
    }
    const auto page = m_pages.find(request.path);
    if (page == m_pages.end()) {
        answer(socket, plain("404 Not Found"));
        return;
    }
    const QByteArray &body = page->second.body;
    answer(socket,
           httpResponse("200 OK", page->second.contentType,
                        std::string_view(body.constData(), static_cast<std::size_t>(body.size())),
                        request.path != "/"));
}

void WebServer::welcome() {
    while (QWebSocket *socket = m_webSockets.nextPendingConnection()) {
        if (viewerCount() >= m_limits.viewers) {
            socket->close(QWebSocketProtocol::CloseCodeTooMuchData);
            socket->deleteLater();
            continue;
        }
        socket->setMaxAllowedIncomingFrameSize(kLargestIncoming);
        socket->setMaxAllowedIncomingMessageSize(kLargestIncoming);
        const std::string query = socket->requestUrl().query(QUrl::FullyEncoded).toStdString();
        Viewer &viewer = m_viewers[socket];
        viewer.choice = m_choose(query);
        connect(socket, &QWebSocket::disconnected, this, [this, socket] {
            m_viewers.erase(socket);
            socket->deleteLater();
        });
        connect(socket, &QWebSocket::bytesWritten, this, [this, socket] {
            const auto found = m_viewers.find(socket);
            if (found != m_viewers.end() && found->second.hasWaiting &&
                socket->bytesToWrite() == 0) {
                Viewer &waiting = found->second;
                waiting.hasWaiting = false;
                socket->sendTextMessage(QString::fromStdString(waiting.waiting));
            }
        });
        if (greeting) {
            socket->sendTextMessage(QString::fromStdString(greeting(viewer.choice)));
        }
    }
}

bool WebServer::send(QWebSocket *socket, Viewer &viewer, const std::string &message) {
    if (socket->bytesToWrite() == 0) {
        socket->sendTextMessage(QString::fromStdString(message));
        return true;
    }
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    if (!viewer.hasWaiting) {
        viewer.waitingSinceMs = now;
    }
    viewer.waiting = message;
    viewer.hasWaiting = true;
    return now - viewer.waitingSinceMs <= m_limits.idleMs;
}

void WebServer::publish(
    const std::function<const std::string &(const ViewerChoice &choice)> &messageFor) {
    std::vector<QWebSocket *> stalled;
    for (auto &[socket, viewer] : m_viewers) {
        if (!send(socket, viewer, messageFor(viewer.choice))) {
            stalled.push_back(socket);
        }
    }
    for (QWebSocket *socket : stalled) {
        m_viewers.erase(socket);
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
}

std::vector<ViewerChoice> WebServer::choicesInUse() const {
    std::vector<ViewerChoice> choices;
    for (const auto &[socket, viewer] : m_viewers) {
        choices.push_back(viewer.choice);
    }
    return choices;
}

} // namespace ostrelo::web
