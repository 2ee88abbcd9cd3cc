// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/patience.h"
#include "web/http_request.h"
#include "web/web_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <QThread>
#include <QWebSocket>

#include <gtest/gtest.h>

namespace ostrelo::web {
namespace {

bool runUntil(const std::function<bool()> &done, int ms = testing::kPatienceMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return done();
}

class WebServerTest : public ::testing::Test {
protected:
    WebServerTest() {
        server.addPage("/", "text/html; charset=utf-8", "<p>dash</p>");
        server.greeting = [](const ViewerChoice &choice) { return "hello " + choice.idioma; };
        EXPECT_EQ(server.listen("127.0.0.1", 0), "");
    }

    // What the server answers to `bytes` sent on a new connection.
    std::string exchange(const std::string &bytes) {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), server.port());
        EXPECT_TRUE(socket.waitForConnected(2000));
        socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
        std::string answer;
        runUntil([&] {
            answer += socket.readAll().toStdString();
            return socket.state() == QAbstractSocket::UnconnectedState;
        });
        return answer;
    }

    // A viewer of `query`, connected and greeted.
    std::unique_ptr<QWebSocket> viewer(const QString &query, std::vector<QString> &received) {
        auto socket = std::make_unique<QWebSocket>();
        QObject::connect(socket.get(), &QWebSocket::textMessageReceived,
                         [&received](const QString &text) { received.push_back(text); });
        socket->open(
            QUrl(QStringLiteral("ws://127.0.0.1:%1/live?%2").arg(server.port()).arg(query)));
        return socket;
    }

    WebServer server{[](std::string_view query) {
                         return ViewerChoice{queryValue(query, "lang"), core::Units::Metric};
                     },
                     WebServer::Limits{.connections = 4, .viewers = 2, .idleMs = 1500}};
};

TEST_F(WebServerTest, ServesItsPagesAndRefusesEverythingElse) {
    const std::string end = "\r\n\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {"GET /?lang=x HTTP/1.1" + end, "HTTP/1.1 200 OK"},
        {"GET /../../etc/passwd HTTP/1.1" + end, "HTTP/1.1 404 Not Found"},
        {"GET /%2e%2e/etc/passwd HTTP/1.1" + end, "HTTP/1.1 404 Not Found"},
        {"DELETE / HTTP/1.1" + end, "HTTP/1.1 405 Method Not Allowed"},
        {"GET /live HTTP/1.1" + end, "HTTP/1.1 426 Upgrade Required"},
        {"hello" + end, "HTTP/1.1 400 Bad Request"},
        {"GET / HTTP/1.1\r\nX: " + std::string(9000, 'a'), "HTTP/1.1 431"},
    };
    for (const auto &[request, status] : cases) {
        SCOPED_TRACE(request.substr(0, 30));
        const std::string answer = exchange(request);
        EXPECT_EQ(answer.substr(0, status.size()), status);
    }
    EXPECT_NE(exchange("GET / HTTP/1.1" + end).find("\r\n\r\n<p>dash</p>"), std::string::npos);
    // A request that never ends is cut off.
    EXPECT_EQ(exchange("GET / HTTP/1.1\r\n"), "");
}

TEST_F(WebServerTest, GreetsEachViewerInItsChoiceUpToTheLimit) {
    std::vector<QString> first;
    std::vector<QString> second;
    std::vector<QString> third;
    const auto a = viewer(QStringLiteral("lang=English"), first);
    const auto b = viewer(QStringLiteral("lang=Dutch"), second);
    ASSERT_TRUE(runUntil([&] { return first.size() == 1 && second.size() == 1; }));
    EXPECT_EQ(first[0], QStringLiteral("hello English"));
    EXPECT_EQ(second[0], QStringLiteral("hello Dutch"));
    const auto c = viewer(QStringLiteral("lang=Italiano"), third);
    runUntil([&] { return c->state() == QAbstractSocket::UnconnectedState; });
    EXPECT_TRUE(third.empty());
    EXPECT_EQ(exchange("GET /live HTTP/1.1\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                       "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
                       "Sec-WebSocket-Version: 13\r\n\r\n")
                  .substr(0, 33),
              "HTTP/1.1 503 Service Unavailable\r");
    EXPECT_EQ(server.viewerCount(), 2);

    std::map<std::string, std::string> messages{{"English", "one"}, {"Dutch", "een"}};
    server.publish([&](const ViewerChoice &choice) -> const std::string & {
        return messages.at(choice.idioma);
    });
    ASSERT_TRUE(runUntil([&] { return first.size() == 2 && second.size() == 2; }));
    EXPECT_EQ(first[1], QStringLiteral("one"));
    EXPECT_EQ(second[1], QStringLiteral("een"));

    // A viewer that leaves frees its place.
    b->close();
    ASSERT_TRUE(runUntil([&] { return server.viewerCount() == 1; }));
}

// The payloads of the unmasked text frames at the start of `bytes`, consumed as read.
std::vector<std::string> takeFrames(std::string &bytes) {
    std::vector<std::string> payloads;
    for (;;) {
        if (bytes.size() < 2) {
            break;
        }
        std::size_t length = static_cast<unsigned char>(bytes[1]) & 0x7F;
        std::size_t header = 2;
        if (length == 126) {
            if (bytes.size() < 4) {
                break;
            }
            length =
                (static_cast<unsigned char>(bytes[2]) << 8) | static_cast<unsigned char>(bytes[3]);
            header = 4;
        } else if (length == 127) {
            if (bytes.size() < 10) {
                break;
            }
            length = 0;
            for (int i = 2; i < 10; ++i) {
                length =
                    (length << 8) | static_cast<unsigned char>(bytes[static_cast<std::size_t>(i)]);
            }
            header = 10;
        }
        if (bytes.size() < header + length) {
            break;
        }
        payloads.push_back(bytes.substr(header, length));
        bytes.erase(0, header + length);
    }
    return payloads;
}

// A viewer that does not read gets the newest message once it does, not every one.
TEST_F(WebServerTest, ASlowViewerGetsTheNewestMessageNotAQueue) {
    QTcpSocket slow;
    slow.setReadBufferSize(1);
    slow.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(slow.waitForConnected(2000));
    slow.write("GET /live?lang=English HTTP/1.1\r\nHost: x\r\nUpgrade: websocket\r\n"
               "Connection: Upgrade\r\nSec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\n"
               "Sec-WebSocket-Version: 13\r\n\r\n");
    ASSERT_TRUE(runUntil([&] { return server.viewerCount() == 1; }));

    const std::string filler(200000, 'x');
    std::string message;
    for (int n = 0; n < 200; ++n) {
        message = std::to_string(n) + filler;
        server.publish([&](const ViewerChoice &) -> const std::string & { return message; });
        QCoreApplication::processEvents();
    }
    slow.setReadBufferSize(0);
    std::string bytes;
    std::vector<std::string> frames;
    ASSERT_TRUE(runUntil([&] {
        bytes += slow.readAll().toStdString();
        if (frames.empty() && bytes.find("\r\n\r\n") != std::string::npos) {
            bytes.erase(0, bytes.find("\r\n\r\n") + 4);
            frames.push_back("handshake");
        }
        for (std::string &frame : takeFrames(bytes)) {
            frames.push_back(std::move(frame));
        }
        return !frames.empty() && frames.back().substr(0, 4) == "199x";
    }));
    // The handshake, the greeting, the messages the system took at once, and the newest.
    EXPECT_LT(frames.size(), 100u);
    EXPECT_EQ(frames[1], "hello English");

    // A viewer that takes nothing for longer than the idle limit loses its place.
    slow.setReadBufferSize(1);
    ASSERT_TRUE(runUntil([&] {
        server.publish([&](const ViewerChoice &) -> const std::string & { return message; });
        QThread::msleep(20);
        return server.viewerCount() == 0;
    }));
}

} // namespace
} // namespace ostrelo::web
