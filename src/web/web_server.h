// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "web/viewer_screens.h"
#include "web/websocket_frame.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QTcpSocket;

namespace ostrelo::web {

struct HttpRequest;

/// The web dashboard's server: its own fixed pages over HTTP (GET only) and one WebSocket
/// per viewer on "/live", all on one port. It never reads a file or a setting from a request.
/// Each viewer gets the newest message when it can take it: at most one waits for it, so a
/// slow viewer costs a bounded amount of memory and never holds the others up. What anyone on
/// the network sends is bounded too: connections, time to send a request, frames a second.
class WebServer : public QObject {
    Q_OBJECT

public:
    /// How much the server takes on at once.
    struct Limits {
        /// HTTP connections at once, requests being read and answers being sent; a new one
        /// takes the place of the oldest.
        int connections = 32;
        int viewers = 16;
        /// Viewers from one address.
        int viewersPerAddress = 4;
        /// A viewer that takes nothing this long is dropped; so is an answer nobody takes.
        int idleMs = 10000;
        /// A request head that has not come whole this long after connecting is answered 408.
        int headMs = 3000;
        /// Frames a viewer may send a second (one second's worth at once); more wait unread.
        int framesPerSecond = 10;
        /// What the server holds for one viewer at most, in bytes, its unsent frames
        /// included; a viewer over it is dropped at once.
        qint64 viewerBytes = 1 << 20;
    };

    /// `choose` turns a viewer's query into the language and units it is shown in.
    WebServer(std::function<ViewerChoice(std::string_view query)> choose, Limits limits,
              QObject *parent = nullptr);
    ~WebServer() override;

    /// Serves `body` at `path` with `contentType`.
    void addPage(const std::string &path, const std::string &contentType, QByteArray body);

    /// Listens on `address` (empty: every address) and `port`. Empty on success, otherwise
    /// why not, in the system's words.
    std::string listen(const std::string &address, int port);
    /// Drops every viewer and stops listening.
    void close();
    bool isListening() const { return m_tcp.isListening(); }
    quint16 port() const { return m_tcp.serverPort(); }

    /// The first message a viewer gets, for its choice.
    std::function<std::string(const ViewerChoice &choice)> greeting;

    /// Hands every viewer `messageFor` its choice: at once, or as soon as it has taken the
    /// last one, replacing any message still waiting for it. A viewer that has taken nothing
    /// for longer than the idle limit is dropped, so that it keeps no place from others.
    void publish(const std::function<const std::string &(const ViewerChoice &choice)> &messageFor);

    /// The choices of the viewers connected now.
    std::vector<ViewerChoice> choicesInUse() const;
    int viewerCount() const { return static_cast<int>(m_viewers.size()); }

private:
    // An HTTP connection: a request head being read, or an answer being sent.
    struct Connection {
        std::uint64_t order = 0;
        qint64 sinceMs = 0;
        bool answered = false;
    };
    struct Viewer {
        explicit Viewer(std::size_t largestIncoming) : reader(largestIncoming) {}
        ViewerChoice choice;
        QHostAddress address;
        FrameReader reader;
        // The newest message, framed, while the socket still sends an earlier one; empty
        // when none waits.
        std::string waiting;
        qint64 waitingSinceMs = 0;
        // The answer to the newest ping, waiting as a message does.
        std::string pong;
        // Frames it may send now, and when that was worked out.
        double allowance = 0;
        qint64 allowanceAtMs = 0;
    };

    void accept();
    bool makeRoom();
    void readRequest(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const std::string &response);
    void refuse(QTcpSocket *socket, std::string_view status);
    void forget(QTcpSocket *socket);
    void upgrade(QTcpSocket *socket, const HttpRequest &request);
    void pump(QTcpSocket *socket);
    void drained(QTcpSocket *socket);
    bool send(QTcpSocket *socket, Viewer &viewer, const std::string &message);
    bool withinBound(QTcpSocket *socket, const Viewer &viewer) const;
    void leave(QTcpSocket *socket, CloseCode code);
    void drop(QTcpSocket *socket);
    void sweep();
    void watch();

    std::function<ViewerChoice(std::string_view)> m_choose;
    Limits m_limits;
    QTcpServer m_tcp;
    // Deadlines and the viewers' allowances, looked at a few times a second while anyone is
    // connected.
    QTimer m_sweep;
    QElapsedTimer m_clock;
    std::uint64_t m_accepted = 0;
    struct Page {
        std::string contentType;
        QByteArray body;
    };
    std::map<std::string, Page, std::less<>> m_pages;
    std::map<QTcpSocket *, Connection> m_connections;
    std::map<QTcpSocket *, Viewer> m_viewers;
};

} // namespace ostrelo::web
