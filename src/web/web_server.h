// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "web/viewer_screens.h"

#include <QByteArray>
#include <QObject>
#include <QTcpServer>
#include <QWebSocketServer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QTcpSocket;
class QWebSocket;

namespace ostrelo::web {

/// The web dashboard's server: its own fixed pages over HTTP (GET only) and one WebSocket
/// per viewer on "/live", all on one port. It never reads a file or a setting from a request.
/// Each viewer gets the newest message when it can take it: at most one waits for it, so a
/// slow viewer costs a bounded amount of memory and never holds the others up.
class WebServer : public QObject {
    Q_OBJECT

public:
    /// How much the server takes on at once.
    struct Limits {
        int connections = 32;
        int viewers = 16;
        int idleMs = 10000;
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
    struct Viewer {
        ViewerChoice choice;
        std::string waiting;
        bool hasWaiting = false;
        // When the message still waiting started to wait, in milliseconds since 1970.
        qint64 waitingSinceMs = 0;
    };

    void accept();
    void readRequest(QTcpSocket *socket);
    void answer(QTcpSocket *socket, const std::string &response);
    void forget(QTcpSocket *socket);
    void welcome();
    bool send(QWebSocket *socket, Viewer &viewer, const std::string &message);

    std::function<ViewerChoice(std::string_view)> m_choose;
    Limits m_limits;
    QTcpServer m_tcp;
    QWebSocketServer m_webSockets;
    struct Page {
        std::string contentType;
        QByteArray body;
    };
    std::map<std::string, Page, std::less<>> m_pages;
    std::map<QTcpSocket *, std::unique_ptr<QObject>> m_requests;
    std::map<QWebSocket *, Viewer> m_viewers;
};

} // namespace ostrelo::web
