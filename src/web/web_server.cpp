// SPDX-License-Identifier: GPL-3.0-or-later
#include "web/web_server.h"

#include "core/ip_address.h"
#include "web/http_request.h"

#include <QCryptographicHash>
#include <QTcpSocket>

#include <algorithm>

namespace ostrelo::web {
namespace {

// Nothing a viewer sends is read; a message longer than this ends its connection.
constexpr std::size_t kLargestIncoming = 1024;
// What a viewer's socket reads ahead of the frames it is allowed: beyond it, the viewer waits.
constexpr qint64 kReadAhead = 4096;
// How often deadlines and allowances are looked at while anyone is connected.
constexpr int kSweepMs = 100;

std::string plain(std::string_view status) {
    return httpResponse(status, "text/plain; charset=utf-8", std::string(status) + "\n");
}

void write(QTcpSocket *socket, std::string_view bytes) {
    socket->write(bytes.data(), static_cast<qint64>(bytes.size()));
}

} // namespace

WebServer::WebServer(std::function<ViewerChoice(std::string_view)> choose, Limits limits,
                     QObject *parent)
    : QObject(parent), m_choose(std::move(choose)), m_limits(limits) {
    m_tcp.setMaxPendingConnections(m_limits.connections);
    connect(&m_tcp, &QTcpServer::newConnection, this, &WebServer::accept);
    m_sweep.setInterval(kSweepMs);
    connect(&m_sweep, &QTimer::timeout, this, &WebServer::sweep);
    m_clock.start();
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
    m_sweep.stop();
    // Aborting a socket says it is disconnected at once: nobody may be listening by then.
    for (auto &[socket, viewer] : m_viewers) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    m_viewers.clear();
    for (auto &[socket, connection] : m_connections) {
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    m_connections.clear();
}

void WebServer::accept() {
    while (QTcpSocket *socket = m_tcp.nextPendingConnection()) {
        if (static_cast<int>(m_connections.size()) >= m_limits.connections && !makeRoom()) {
            write(socket, plain("503 Service Unavailable"));
            socket->flush();
            socket->abort();
            socket->deleteLater();
            continue;
        }
        // Qt reads no more than a request head ahead of what the server has looked at.
        socket->setReadBufferSize(static_cast<qint64>(kRequestHeadLimit));
        m_connections[socket] = Connection{m_accepted++, m_clock.elapsed(), false};
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { readRequest(socket); });
        connect(socket, &QTcpSocket::disconnected, this, [this, socket] { forget(socket); });
    }
    watch();
}

bool WebServer::makeRoom() {
    for (;;) {
        // The oldest gives way: a browser sends its request at once, so what has waited
        // longest is a request trickled in. An answer the system could not take at once goes
        // only when no request is left to drop: its reader does not read.
        auto oldest = m_connections.end();
        const auto before = [](const Connection &a, const Connection &b) {
            return a.answered != b.answered ? !a.answered : a.order < b.order;
        };
        for (auto i = m_connections.begin(); i != m_connections.end(); ++i) {
            if (oldest == m_connections.end() || before(i->second, oldest->second)) {
                oldest = i;
            }
        }
        if (oldest == m_connections.end()) {
            return false;
        }
        QTcpSocket *socket = oldest->first;
        if (oldest->second.answered) {
            m_connections.erase(oldest);
            socket->disconnect(this);
            socket->abort();
            socket->deleteLater();
            return true;
        }
        // A request that came whole since the server last looked is answered, not dropped.
        socket->waitForReadyRead(0);
        const auto still = m_connections.find(socket);
        if (still != m_connections.end() && !still->second.answered) {
            refuse(socket, "503 Service Unavailable");
            return true;
        }
    }
}

void WebServer::forget(QTcpSocket *socket) {
    if (m_connections.erase(socket) != 0) {
        socket->disconnect(this);
        socket->deleteLater();
    }
}

void WebServer::refuse(QTcpSocket *socket, std::string_view status) {
    m_connections.erase(socket);
    socket->disconnect(this);
    // What the system takes at once is sent; the connection ends here either way.
    write(socket, plain(status));
    socket->flush();
    socket->abort();
    socket->deleteLater();
}

void WebServer::answer(QTcpSocket *socket, const std::string &response) {
    Connection &connection = m_connections.at(socket);
    connection.answered = true;
    connection.sinceMs = m_clock.elapsed();
    write(socket, response);
    // What the system takes now is sent now. The connection closes once all is sent; until
    // then it keeps its place among the connections.
    socket->flush();
    socket->disconnectFromHost();
}

void WebServer::readRequest(QTcpSocket *socket) {
    const auto found = m_connections.find(socket);
    if (found == m_connections.end() || found->second.answered) {
        return;
    }
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
        std::string refusal = webSocketRefusal(request);
        const QHostAddress address = socket->peerAddress();
        const auto fromThere = std::count_if(m_viewers.begin(), m_viewers.end(), [&](auto &v) {
            return v.second.address.isEqual(address, QHostAddress::TolerantConversion);
        });
        if (refusal.empty() &&
            (viewerCount() >= m_limits.viewers || fromThere >= m_limits.viewersPerAddress)) {
            refusal = "503 Service Unavailable";
        }
        if (refusal.empty()) {
            upgrade(socket, request);
        } else {
            answer(socket, plain(refusal));
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

void WebServer::upgrade(QTcpSocket *socket, const HttpRequest &request) {
    m_connections.erase(socket);
    socket->disconnect(this);
    // The head was only looked at; what follows it are the viewer's first frames.
    socket->skip(static_cast<qint64>(request.headBytes));
    socket->setReadBufferSize(kReadAhead);

    Viewer &viewer = m_viewers.try_emplace(socket, kLargestIncoming).first->second;
    viewer.choice = m_choose(request.query);
    viewer.address = socket->peerAddress();
    viewer.allowance = m_limits.framesPerSecond;
    viewer.allowanceAtMs = m_clock.elapsed();
    const QByteArray accept =
        QCryptographicHash::hash(QByteArray::fromStdString(*request.webSocketKey) +
                                     "258EAFA5-E914-47DA-95CA-C5AB0DC85B11",
                                 QCryptographicHash::Sha1)
            .toBase64();
    std::string response = "HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\n"
                           "Connection: Upgrade\r\nSec-WebSocket-Accept: " +
                           accept.toStdString() + "\r\n\r\n";
    if (greeting) {
        response += serverFrame(Opcode::Text, greeting(viewer.choice));
    }
    write(socket, response);

    connect(socket, &QTcpSocket::readyRead, this, [this, socket] { pump(socket); });
    connect(socket, &QTcpSocket::bytesWritten, this, [this, socket] { drained(socket); });
    connect(socket, &QTcpSocket::disconnected, this, [this, socket] {
        if (m_viewers.erase(socket) != 0) {
            socket->disconnect(this);
            socket->deleteLater();
        }
    });
    pump(socket);
}

void WebServer::pump(QTcpSocket *socket) {
    const auto found = m_viewers.find(socket);
    if (found == m_viewers.end()) {
        return;
    }
    Viewer &viewer = found->second;
    const qint64 now = m_clock.elapsed();
    const double rate = m_limits.framesPerSecond;
    viewer.allowance = std::min(
        rate, viewer.allowance + static_cast<double>(now - viewer.allowanceAtMs) * rate / 1000.0);
    viewer.allowanceAtMs = now;
    // A viewer sends nothing the dashboard needs: its frames are read at a bounded pace, and
    // what comes faster waits in the system, which then holds the viewer back.
    while (viewer.allowance >= 1) {
        std::optional<ViewerFrame> frame = viewer.reader.next();
        if (!frame) {
            if (socket->bytesAvailable() == 0) {
                return;
            }
            const QByteArray bytes = socket->read(kReadAhead);
            viewer.reader.feed(
                std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            continue;
        }
        viewer.allowance -= 1;
        switch (frame->kind) {
        case ViewerFrame::Kind::Data:
        case ViewerFrame::Kind::Pong:
            break;
        case ViewerFrame::Kind::Ping:
            // Only the newest ping is answered, when the socket has sent what it holds.
            viewer.pong = serverFrame(Opcode::Pong, frame->payload);
            drained(socket);
            break;
        case ViewerFrame::Kind::Close:
        case ViewerFrame::Kind::Failed:
            leave(socket, frame->code);
            return;
        }
    }
    watch();
}

void WebServer::drained(QTcpSocket *socket) {
    const auto found = m_viewers.find(socket);
    if (found == m_viewers.end() || socket->bytesToWrite() != 0) {
        return;
    }
    // Written, a frame is the socket's to hold; the viewer keeps nothing of it.
    Viewer &viewer = found->second;
    if (!viewer.pong.empty()) {
        write(socket, viewer.pong);
        std::string().swap(viewer.pong);
    }
    if (!viewer.waiting.empty()) {
        write(socket, viewer.waiting);
        std::string().swap(viewer.waiting);
    }
}

bool WebServer::send(QTcpSocket *socket, Viewer &viewer, const std::string &message) {
    if (socket->bytesToWrite() == 0) {
        write(socket, serverFrame(Opcode::Text, message));
        return withinBound(socket, viewer);
    }
    const qint64 now = m_clock.elapsed();
    if (viewer.waiting.empty()) {
        viewer.waitingSinceMs = now;
    }
    viewer.waiting = serverFrame(Opcode::Text, message);
    return now - viewer.waitingSinceMs <= m_limits.idleMs && withinBound(socket, viewer);
}

bool WebServer::withinBound(QTcpSocket *socket, const Viewer &viewer) const {
    const auto held =
        static_cast<qint64>(viewer.waiting.size() + viewer.pong.size() + viewer.reader.held()) +
        socket->bytesToWrite() + socket->bytesAvailable();
    return held <= m_limits.viewerBytes;
}

void WebServer::leave(QTcpSocket *socket, CloseCode code) {
    write(socket, closeFrame(code));
    drop(socket);
}

void WebServer::drop(QTcpSocket *socket) {
    m_viewers.erase(socket);
    socket->disconnect(this);
    socket->flush();
    socket->abort();
    socket->deleteLater();
}

void WebServer::watch() {
    if (!m_sweep.isActive()) {
        m_sweep.start();
    }
}

void WebServer::sweep() {
    const qint64 now = m_clock.elapsed();
    std::vector<QTcpSocket *> late;
    std::vector<QTcpSocket *> untaken;
    for (const auto &[socket, connection] : m_connections) {
        if (!connection.answered && now - connection.sinceMs >= m_limits.headMs) {
            late.push_back(socket);
        } else if (connection.answered && now - connection.sinceMs >= m_limits.idleMs) {
            untaken.push_back(socket);
        }
    }
    for (QTcpSocket *socket : late) {
        refuse(socket, "408 Request Timeout");
    }
    for (QTcpSocket *socket : untaken) {
        m_connections.erase(socket);
        socket->disconnect(this);
        socket->abort();
        socket->deleteLater();
    }
    // Viewers held back by their allowance go on reading.
    std::vector<QTcpSocket *> held;
    for (const auto &[socket, viewer] : m_viewers) {
        if (viewer.reader.held() > 0 || socket->bytesAvailable() > 0) {
            held.push_back(socket);
        }
    }
    for (QTcpSocket *socket : held) {
        pump(socket);
    }
    if (m_connections.empty() && held.empty()) {
        m_sweep.stop();
    }
}

void WebServer::publish(
    const std::function<const std::string &(const ViewerChoice &choice)> &messageFor) {
    std::vector<QTcpSocket *> stalled;
    for (auto &[socket, viewer] : m_viewers) {
        if (!send(socket, viewer, messageFor(viewer.choice))) {
            stalled.push_back(socket);
        }
    }
    for (QTcpSocket *socket : stalled) {
        drop(socket);
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
