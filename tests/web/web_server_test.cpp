// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/event_wait.h"
#include "web/http_request.h"
#include "web/web_server.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpSocket>
#include <QThread>
#include <QTimer>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>

namespace ostrelo::web {
namespace {

using testing::runUntil;

// This process's resident memory, in kB.
qint64 residentKb() {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) {
        return 0;
    }
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:")) {
            return line.mid(6).trimmed().split(' ').front().toLongLong();
        }
    }
    return 0;
}

const std::string kKey = "dGhlIHNhbXBsZSBub25jZQ==";

// A WebSocket handshake for "/live" with `headers` besides the ones it needs.
std::string handshake(const std::string &headers) {
    return "GET /live?lang=English HTTP/1.1\r\n" + headers +
           "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: " + kKey +
           "\r\nSec-WebSocket-Version: 13\r\n\r\n";
}

// A frame as a browser sends it: `first` (FIN, reserved bits, opcode), masked unless told.
std::string clientFrame(unsigned char first, const std::string &payload, bool masked = true) {
    std::string frame(1, static_cast<char>(first));
    const unsigned char maskBit = masked ? 0x80 : 0x00;
    if (payload.size() < 126) {
        frame += static_cast<char>(maskBit | payload.size());
    } else {
        frame += static_cast<char>(maskBit | 126);
        frame += static_cast<char>(payload.size() >> 8);
        frame += static_cast<char>(payload.size() & 0xFF);
    }
    const char mask[4] = {'\x37', '\xfa', '\x21', '\x3d'};
    if (masked) {
        frame.append(mask, 4);
    }
    for (std::size_t i = 0; i < payload.size(); ++i) {
        frame += masked ? static_cast<char>(payload[i] ^ mask[i % 4]) : payload[i];
    }
    return frame;
}

std::string repeated(const std::string &text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) {
        all += text;
    }
    return all;
}

struct Frame {
    int opcode = 0;
    std::string payload;
};

// The unmasked frames at the start of `bytes`, consumed as read.
std::vector<Frame> takeFrames(std::string &bytes) {
    std::vector<Frame> frames;
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
        frames.push_back({bytes[0] & 0x0F, bytes.substr(header, length)});
        bytes.erase(0, header + length);
    }
    return frames;
}

// A viewer speaking the protocol by hand, to send what a browser would not.
struct RawViewer {
    RawViewer(quint16 port, const std::string &request) {
        socket.connectToHost(QStringLiteral("127.0.0.1"), port);
        socket.write(request.data(), static_cast<qint64>(request.size()));
        runUntil([&] {
            bytes += socket.readAll().toStdString();
            return bytes.find("\r\n\r\n") != std::string::npos ||
                   socket.state() == QAbstractSocket::UnconnectedState;
        });
        const std::size_t end = bytes.find("\r\n\r\n");
        head = bytes.substr(0, end == std::string::npos ? bytes.size() : end + 4);
        bytes.erase(0, head.size());
    }
    void send(const std::string &frame) {
        socket.write(frame.data(), static_cast<qint64>(frame.size()));
    }
    // Reads until `enough` holds for the frames read so far, or the server closes.
    std::vector<Frame> &readUntil(const std::function<bool(const std::vector<Frame> &)> &enough) {
        runUntil([&] {
            bytes += socket.readAll().toStdString();
            for (Frame &frame : takeFrames(bytes)) {
                frames.push_back(std::move(frame));
            }
            return enough(frames) || socket.state() == QAbstractSocket::UnconnectedState;
        });
        return frames;
    }
    bool closed() {
        return runUntil([&] { return socket.state() == QAbstractSocket::UnconnectedState; });
    }
    QTcpSocket socket;
    std::string head;
    std::string bytes;
    std::vector<Frame> frames;
};

// Viewers that flood the server from a thread of their own, as programs elsewhere would: each
// opens a WebSocket and then sends `frame` over and over, as fast as the server takes it,
// reading nothing, until they have sent `bytes` together or the flood is stopped.
class Flood {
public:
    Flood(quint16 port, int viewers, const std::string &frame, qint64 bytes) {
        m_worker.moveToThread(&m_thread);
        m_thread.start();
        QMetaObject::invokeMethod(&m_worker, [=, this] {
            std::string batch;
            while (batch.size() < 16384) {
                batch += frame;
            }
            for (int i = 0; i < viewers; ++i) {
                auto *socket = new QTcpSocket(&m_worker);
                // Reads one byte of the answers, and then nothing.
                socket->setReadBufferSize(1);
                const auto more = [this, socket, batch, bytes] {
                    while (socket->bytesToWrite() < 65536 && m_sent < bytes && !m_stop) {
                        socket->write(batch.data(), static_cast<qint64>(batch.size()));
                    }
                };
                QObject::connect(socket, &QTcpSocket::connected, [socket, more] {
                    socket->setSocketOption(QAbstractSocket::SendBufferSizeSocketOption, 65536);
                    const std::string request = handshake("Host: 127.0.0.1\r\n");
                    socket->write(request.data(), static_cast<qint64>(request.size()));
                    more();
                });
                QObject::connect(socket, &QTcpSocket::bytesWritten, [this, more](qint64 n) {
                    m_sent += n;
                    more();
                });
                QObject::connect(socket, &QTcpSocket::disconnected, [this] { ++m_closed; });
                socket->connectToHost(QStringLiteral("127.0.0.1"), port);
            }
        });
    }
    ~Flood() {
        m_stop = true;
        QMetaObject::invokeMethod(
            &m_worker, [this] { qDeleteAll(m_worker.children()); }, Qt::BlockingQueuedConnection);
        m_thread.quit();
        m_thread.wait();
    }
    qint64 sent() const { return m_sent; }
    int closed() const { return m_closed; }

private:
    QThread m_thread;
    QObject m_worker;
    std::atomic<qint64> m_sent{0};
    std::atomic<int> m_closed{0};
    std::atomic<bool> m_stop{false};
};

class WebServerTest : public ::testing::Test {
protected:
    WebServerTest() { start(server); }

    void start(WebServer &web) {
        web.addPage("/", "text/html; charset=utf-8", "<p>dash</p>");
        web.greeting = [](const ViewerChoice &choice) { return "hello " + choice.idioma; };
        EXPECT_EQ(web.listen("127.0.0.1", 0), "");
    }

    // What the server answers to `bytes` sent on a new connection: everything up to its close,
    // or the head of a handshake it accepts.
    std::string exchange(const std::string &bytes, quint16 port = 0) {
        QTcpSocket socket;
        socket.connectToHost(QStringLiteral("127.0.0.1"), port ? port : server.port());
        EXPECT_TRUE(socket.waitForConnected(2000));
        // Sent at once, as a browser does.
        socket.write(bytes.data(), static_cast<qint64>(bytes.size()));
        socket.flush();
        std::string answer;
        runUntil([&] {
            answer += socket.readAll().toStdString();
            return socket.state() == QAbstractSocket::UnconnectedState ||
                   (answer.substr(0, 12) == "HTTP/1.1 101" &&
                    answer.find("\r\n\r\n") != std::string::npos);
        });
        return answer;
    }

    // A viewer of `query`, connected and greeted.
    std::unique_ptr<QWebSocket> viewer(const QString &query, std::vector<QString> &received,
                                       quint16 port = 0) {
        auto socket = std::make_unique<QWebSocket>();
        QObject::connect(socket.get(), &QWebSocket::textMessageReceived,
                         [&received](const QString &text) { received.push_back(text); });
        socket->open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live?%2")
                              .arg(port ? port : server.port())
                              .arg(query)));
        return socket;
    }

    static ViewerChoice choose(std::string_view query) {
        return ViewerChoice{queryValue(query, "lang"), core::Units::Metric};
    }

    WebServer server{
        choose, WebServer::Limits{.connections = 4, .viewers = 2, .idleMs = 1500, .headMs = 1000}};
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
        // A request that never ends is cut off.
        {"GET / HTTP/1.1\r\n", "HTTP/1.1 408 Request Timeout"},
    };
    for (const auto &[request, status] : cases) {
        SCOPED_TRACE(request.substr(0, 30));
        const std::string answer = exchange(request);
        EXPECT_EQ(answer.substr(0, status.size()), status);
    }
    EXPECT_NE(exchange("GET / HTTP/1.1" + end).find("\r\n\r\n<p>dash</p>"), std::string::npos);
    // A request head is given its own time, however long an answer may wait.
    WebServer patient{choose, WebServer::Limits{.idleMs = 600000, .headMs = 200}};
    start(patient);
    EXPECT_EQ(exchange("GET / HTTP/1.1\r\n", patient.port()).substr(0, 12), "HTTP/1.1 408");
}

// Only the page's own origin, or a program that names none, may open the live view; every
// refused handshake is answered with a status.
TEST_F(WebServerTest, OpensAWebSocketOnlyForThePagesOwnOrigin) {
    const std::string port = std::to_string(server.port());
    const std::string host = "Host: 127.0.0.1:" + port + "\r\n";
    const std::string hello = "HTTP/1.1 101 Switching Protocols\r\n";
    const std::pair<std::string, std::string> cases[] = {
        {handshake(host), hello},
        {handshake(host + "Origin: http://127.0.0.1:" + port + "\r\n"), hello},
        {handshake("Host: LOCALHOST:" + port + "\r\nOrigin: http://localhost:" + port + "\r\n"),
         hello},
        {handshake("Host: rig\r\nOrigin: http://rig\r\n"), hello},
        {handshake("Host: rig:443\r\nOrigin: https://rig\r\n"), hello},
        {handshake("Host: rig:65536\r\nOrigin: http://rig:65536\r\n"), "HTTP/1.1 403"},
        {handshake("Host: [::1]:8080\r\nOrigin: http://[::1]:8080\r\n"), hello},
        {handshake(host + "Origin: http://attacker.example\r\n"), "HTTP/1.1 403 Forbidden\r\n"},
        {handshake(host + "Origin: http://127.0.0.1:1" + port + "\r\n"), "HTTP/1.1 403"},
        {handshake(host + "Origin: null\r\n"), "HTTP/1.1 403"},
        {handshake(host + "Origin: http://127.0.0.1:" + port + "@attacker.example\r\n"),
         "HTTP/1.1 403"},
        {handshake("Host: rig\r\nOrigin: http://rig:8080\r\n"), "HTTP/1.1 403"},
        {handshake(host + "Origin: http://127.0.0.1:" + port + "/x\r\n"), "HTTP/1.1 403"},
        {handshake(host + "Origin: http://127.0.0.1:" + port + "\r\nOrigin: http://e.org\r\n"),
         "HTTP/1.1 400 Bad Request\r\n"},
        {handshake(""), "HTTP/1.1 400"},
        {"GET /live HTTP/1.0\r\n" + handshake(host).substr(handshake(host).find("\r\n") + 2),
         "HTTP/1.1 400"},
        {"GET /live HTTP/1.1\r\n" + host +
             "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Version: 13\r\n\r\n",
         "HTTP/1.1 400"},
        {"GET /live HTTP/1.1\r\n" + host +
             "Upgrade: websocket\r\nConnection: Upgrade\r\nSec-WebSocket-Key: abc\r\n"
             "Sec-WebSocket-Version: 13\r\n\r\n",
         "HTTP/1.1 400"},
        {"GET /live HTTP/1.1\r\n" + host + "Upgrade: websocket\r\nConnection: Upgrade\r\n" +
             "Sec-WebSocket-Key: " + std::string(24, 'A') + "\r\nSec-WebSocket-Version: 13\r\n\r\n",
         "HTTP/1.1 400"},
        {"GET /live HTTP/1.1\r\n" + host + "Upgrade: websocket\r\nConnection: Upgrade\r\n" +
             "Sec-WebSocket-Key: " + kKey + "\r\nSec-WebSocket-Version: 8\r\n\r\n",
         "HTTP/1.1 426 Upgrade Required\r\n"},
    };
    for (const auto &[request, status] : cases) {
        SCOPED_TRACE(request);
        const std::string answer = exchange(request);
        EXPECT_EQ(answer.substr(0, status.size()), status);
        if (status == hello) {
            EXPECT_NE(answer.find("\r\nSec-WebSocket-Accept: s3pPLMBiTxaQ9kYGzzhZRbK+xOo=\r\n"),
                      std::string::npos);
        }
        if (answer.substr(0, 12) == "HTTP/1.1 426") {
            EXPECT_NE(answer.find("\r\nSec-WebSocket-Version: 13\r\n"), std::string::npos);
        }
        // A viewer that leaves at once frees its place for the next case.
        ASSERT_TRUE(runUntil([&] { return server.viewerCount() == 0; }));
    }
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
    EXPECT_EQ(exchange(handshake("Host: 127.0.0.1\r\n")).substr(0, 33),
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

TEST_F(WebServerTest, NoAddressTakesMoreThanItsShareOfViewers) {
    WebServer shared{choose, WebServer::Limits{.viewers = 4, .viewersPerAddress = 2}};
    start(shared);
    std::vector<QString> first;
    std::vector<QString> second;
    const auto a = viewer(QStringLiteral("lang=English"), first, shared.port());
    const auto b = viewer(QStringLiteral("lang=Dutch"), second, shared.port());
    ASSERT_TRUE(runUntil([&] { return first.size() == 1 && second.size() == 1; }));
    EXPECT_EQ(exchange(handshake("Host: 127.0.0.1\r\n"), shared.port()).substr(0, 33),
              "HTTP/1.1 503 Service Unavailable\r");
    EXPECT_EQ(shared.viewerCount(), 2);
    a->close();
    ASSERT_TRUE(runUntil([&] { return shared.viewerCount() == 1; }));
    EXPECT_EQ(exchange(handshake("Host: 127.0.0.1\r\n"), shared.port()).substr(0, 12),
              "HTTP/1.1 101");
}

// What the protocol forbids a browser to send ends its connection with the close code that
// says why; a ping is answered.
TEST_F(WebServerTest, HoldsViewersToTheProtocol) {
    struct Case {
        std::string name;
        std::string frames;
        int closeCode; // 0: stays open and answers the final ping
    };
    const std::string ping = clientFrame(0x89, "tick");
    const Case cases[] = {
        {"a masked text and a ping", clientFrame(0x81, "hi") + ping, 0},
        {"a text in two pieces, a ping between",
         clientFrame(0x01, "Espa\xc3") + ping + clientFrame(0x80, "\xb1ol"), 0},
        {"a message of 1024 bytes", clientFrame(0x82, std::string(1024, 'x')) + ping, 0},
        {"unmasked", clientFrame(0x81, "hi", false), 1002},
        {"a reserved bit", clientFrame(0xC1, "hi"), 1002},
        {"an opcode of no meaning", clientFrame(0x83, "hi"), 1002},
        {"a ping in pieces", clientFrame(0x09, "ti") + clientFrame(0x80, "ck"), 1002},
        {"a ping of 126 bytes", clientFrame(0x89, std::string(126, 'p')), 1002},
        {"a piece with nothing before", clientFrame(0x80, "hi"), 1002},
        {"a new message before the last ended", clientFrame(0x01, "a") + clientFrame(0x81, "b"),
         1002},
        {"a message of 1025 bytes",
         clientFrame(0x01, std::string(1000, 'x')) + clientFrame(0x80, std::string(25, 'x')), 1009},
        {"an overlong NUL", clientFrame(0x81, "\xc0\x80"), 1007},
        {"a close", clientFrame(0x88, "\3\350bye"), 1000},
        // Beyond the ten frames a second the fixture allows, frames wait and are read later.
        {"25 messages, then a close",
         repeated(clientFrame(0x81, "x"), 25) + clientFrame(0x88, "\x03\xe8"), 1000},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(runUntil([&] { return server.viewerCount() == 0; }));
        RawViewer raw(server.port(), handshake("Host: 127.0.0.1\r\n"));
        ASSERT_EQ(raw.head.substr(0, 12), "HTTP/1.1 101");
        raw.send(c.frames);
        const std::vector<Frame> &frames = raw.readUntil([](const std::vector<Frame> &got) {
            return !got.empty() && (got.back().opcode == 0x8 || got.back().opcode == 0xA);
        });
        ASSERT_FALSE(frames.empty());
        if (c.closeCode == 0) {
            EXPECT_EQ(frames.back().opcode, 0xA);
            EXPECT_EQ(frames.back().payload, "tick");
            // One ping gets one pong, whatever is sent after it.
            const std::string news = "news";
            server.publish([&](const ViewerChoice &) -> const std::string & { return news; });
            raw.readUntil([](const std::vector<Frame> &got) {
                return std::any_of(got.begin(), got.end(),
                                   [](const Frame &f) { return f.payload == "news"; });
            });
            EXPECT_EQ(std::count_if(frames.begin(), frames.end(),
                                    [](const Frame &f) { return f.opcode == 0xA; }),
                      1);
            continue;
        }
        EXPECT_EQ(frames.back().opcode, 0x8);
        ASSERT_EQ(frames.back().payload.size(), 2u);
        EXPECT_EQ((static_cast<unsigned char>(frames.back().payload[0]) << 8) |
                      static_cast<unsigned char>(frames.back().payload[1]),
                  c.closeCode);
        EXPECT_TRUE(raw.closed());
        ASSERT_TRUE(runUntil([&] { return server.viewerCount() == 0; }));
    }
}

// A viewer that does not read gets the newest message once it does, not every one.
TEST_F(WebServerTest, ASlowViewerGetsTheNewestMessageNotAQueue) {
    QTcpSocket slow;
    slow.setReadBufferSize(1);
    slow.connectToHost(QStringLiteral("127.0.0.1"), server.port());
    ASSERT_TRUE(slow.waitForConnected(2000));
    const std::string request = handshake("Host: x\r\n");
    slow.write(request.data(), static_cast<qint64>(request.size()));
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
        for (Frame &frame : takeFrames(bytes)) {
            frames.push_back(std::move(frame.payload));
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

// A viewer that pings as fast as it can and reads nothing gets only its newest pong kept for
// it: what the server holds for it does not grow with what it sends.
TEST_F(WebServerTest, AViewerThatPingsAndReadsNothingCostsABoundedAmount) {
    WebServer open{choose, WebServer::Limits{.framesPerSecond = 1000000000}};
    start(open);
    [[maybe_unused]] const qint64 before = residentKb();
    qint64 peak = before;
    constexpr qint64 kSent = 64 << 20;
    Flood flood(open.port(), 1, clientFrame(0x89, std::string(125, 'p')), kSent);
    ASSERT_TRUE(runUntil([&] {
        peak = std::max(peak, residentKb());
        return flood.sent() >= kSent || flood.closed() > 0;
    }));
    EXPECT_EQ(flood.closed(), 0);
    EXPECT_EQ(open.viewerCount(), 1);
    // 64 MB of pings would be 62 MB of pongs. Under AddressSanitizer freed memory is held in
    // quarantine, so the resident size tells nothing there.
#ifndef __SANITIZE_ADDRESS__
    EXPECT_LT(peak - before, 16 * 1024);
#endif

    // A viewer that would need more than its bound is dropped at once.
    WebServer small{choose, WebServer::Limits{.viewerBytes = 100000}};
    start(small);
    std::vector<QString> received;
    const auto reader = viewer(QStringLiteral("lang=English"), received, small.port());
    ASSERT_TRUE(runUntil([&] { return received.size() == 1; }));
    const std::string fits(90000, 'x');
    small.publish([&](const ViewerChoice &) -> const std::string & { return fits; });
    EXPECT_EQ(small.viewerCount(), 1);
    ASSERT_TRUE(runUntil([&] { return received.size() == 2; }));
    const std::string tooLarge(110000, 'x');
    small.publish([&](const ViewerChoice &) -> const std::string & { return tooLarge; });
    EXPECT_EQ(small.viewerCount(), 0);
}

// Eight viewers sending what they may as fast as loopback takes it: the server reads their
// frames at the pace it allows, and the program's own reading, a timer at the fastest scan,
// keeps its cadence.
TEST_F(WebServerTest, ViewersFloodingMessagesAreReadAtABoundedPace) {
    WebServer busy{choose, WebServer::Limits{.viewers = 8, .viewersPerAddress = 8}};
    start(busy);
    Flood flood(busy.port(), 8, clientFrame(0x81, std::string(1024, 'm')), qint64{1} << 40);
    ASSERT_TRUE(runUntil([&] { return busy.viewerCount() == 8; }));
    int samples = 0;
    QTimer reading;
    QObject::connect(&reading, &QTimer::timeout, [&] { ++samples; });
    reading.start(10);
    // The first second fills what the systems of both ends hold; the next one shows what the
    // server reads.
    ASSERT_TRUE(runUntil([&] { return samples >= 100; }));
    const qint64 sentBefore = flood.sent();
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(runUntil([&] { return samples >= 200; }));
    const qint64 elapsedMs = clock.elapsed();
    const qint64 sent = flood.sent() - sentBefore;
    EXPECT_EQ(flood.closed(), 0);
    // 100 samples at 10 ms: a second, two at most on a busy machine.
    EXPECT_LT(elapsedMs, 2000);
    // Ten frames of a kilobyte a second from each, when it reads them.
    EXPECT_LT(sent, 8 * 1024 * 10 * (elapsedMs + 1000) / 1000);
}

// Answers their readers do not take keep places among the connections: a new connection ends
// the oldest, so that what the server holds for them stays bounded.
TEST_F(WebServerTest, AnswersNobodyTakesHoldNoMoreThanTheConnectionsPlaces) {
    WebServer pages{choose, WebServer::Limits{.connections = 2, .idleMs = 600000}};
    start(pages);
    // More than the systems of both ends take in: most of it waits in the server.
    constexpr qsizetype kPage = 16 << 20;
    pages.addPage("/big", "application/octet-stream", QByteArray(kPage, 'b'));
    std::vector<std::unique_ptr<QTcpSocket>> readers;
    for (int i = 0; i < 4; ++i) {
        QTcpSocket &reader = *readers.emplace_back(std::make_unique<QTcpSocket>());
        reader.setReadBufferSize(1);
        reader.connectToHost(QStringLiteral("127.0.0.1"), pages.port());
        ASSERT_TRUE(reader.waitForConnected(2000));
        reader.write("GET /big HTTP/1.1\r\n\r\n");
        reader.flush();
        ASSERT_TRUE(runUntil([&] { return reader.bytesAvailable() > 0; }));
    }
    // Read in full now: the two oldest answers were cut short, the two newest come whole.
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        QTcpSocket &reader = *readers[static_cast<std::size_t>(i)];
        reader.setReadBufferSize(0);
        qint64 received = 0;
        runUntil([&] {
            received += reader.readAll().size();
            return reader.state() == QAbstractSocket::UnconnectedState || received > kPage;
        });
        EXPECT_EQ(received > kPage, i >= 2);
    }

    // A request still coming in gives way before an answer being sent.
    QTcpSocket &reader = *readers[0];
    reader.setReadBufferSize(1);
    reader.connectToHost(QStringLiteral("127.0.0.1"), pages.port());
    ASSERT_TRUE(reader.waitForConnected(2000));
    reader.write("GET /big HTTP/1.1\r\n\r\n");
    ASSERT_TRUE(runUntil([&] { return reader.bytesAvailable() > 0; }));
    QTcpSocket trickle;
    trickle.connectToHost(QStringLiteral("127.0.0.1"), pages.port());
    ASSERT_TRUE(trickle.waitForConnected(2000));
    trickle.write("GET / HTTP/1.1\r\n");
    EXPECT_EQ(exchange("GET / HTTP/1.1\r\n\r\n", pages.port()).substr(0, 12), "HTTP/1.1 200");
    ASSERT_TRUE(runUntil([&] { return trickle.bytesAvailable() > 0; }));
    EXPECT_EQ(trickle.readAll().left(12), "HTTP/1.1 503");
}

// Connections that trickle a request head and come back when dropped do not keep a browser
// from the page.
TEST_F(WebServerTest, ABrowserGetsThePageWhileRequestsTrickleIn) {
    std::vector<std::unique_ptr<QTcpSocket>> trickles;
    QTimer trickle;
    int connects = 0;
    for (int i = 0; i < 8; ++i) {
        auto &socket = trickles.emplace_back(std::make_unique<QTcpSocket>());
        QTcpSocket *s = socket.get();
        QObject::connect(s, &QTcpSocket::connected, [s, &connects] {
            ++connects;
            s->write("GET / HTTP/1.1\r\nX: ");
        });
        QObject::connect(s, &QTcpSocket::disconnected, s, [s, this] {
            QTimer::singleShot(
                0, s, [s, this] { s->connectToHost(QStringLiteral("127.0.0.1"), server.port()); });
        });
        QObject::connect(&trickle, &QTimer::timeout, s, [s] {
            if (s->state() == QAbstractSocket::ConnectedState) {
                s->write("x");
            }
        });
        s->connectToHost(QStringLiteral("127.0.0.1"), server.port());
    }
    trickle.start(100);
    ASSERT_TRUE(runUntil([&] { return connects >= 8; }));
    int served = 0;
    for (int attempt = 0; attempt < 10; ++attempt) {
        served += exchange("GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n").substr(0, 15) ==
                  "HTTP/1.1 200 OK";
    }
    EXPECT_EQ(served, 10);
    for (auto &socket : trickles) {
        socket->disconnect();
        socket->abort();
    }
}

} // namespace
} // namespace ostrelo::web
