// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/address_map.h"
#include "app/program.h"
#include "app/startup.h"
#include "core/settings.h"
#include "fakes/fake_process_memory.h"
#include "net/frame.h"
#include "platform/qt/qt_stream_socket.h"
#include "support/drawn.h"
#include "support/error_capture.h"
#include "support/patience.h"
#include "support/temp_dir.h"
#include "windows/main_window.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace ostrelo::app {
namespace {

namespace address = acquisition::address;

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// One program instance as main() builds it, on its own settings file.
struct Instance {
    Instance(const std::string &iniPath, platform::ProcessMemory &memory)
        : program(state, window, memory, server, client) {
        openSettings(state, iniPath);
        window.setEvents(&program);
        program.start('.');
        window.stopScanTimer();
    }
    std::string caption(int label) const {
        testing::waitUntilDrawn(window);
        return window.label(label)->text().toStdString();
    }

    runtime::AppState state;
    windows::MainWindow window{0};
    platform::QtStreamSocket server{true};
    platform::QtStreamSocket client{false};
    Program program;
};

class NetworkTest : public ::testing::Test {
protected:
    NetworkTest() {
        port = freePort();
        game.windows["RACE 07"] = 1;
        game.placeText(address::LocalDriver, "Marta Vidal\\x");
        game.placeText(address::slotField(0, address::DriverName),
                       std::string("Marta Vidal\0", 12));
        game.placeText(address::CarName, std::string("Lince Turbo 16V\0", 16));
        game.placeText(address::TrackName, std::string("Locations\\Anella Sud.trk\0", 25));
        game.placeValue<std::int32_t>(address::Gear, 3);
        game.placeValue<float>(address::Fuel, 40);
        game.placeValue<std::uint8_t>(address::Ignition, 1);
        game.placeValue<double>(address::wheelField(telemetry::FL, address::WheelPressure), 180);
        game.placeValue<double>(address::OilTemp, 373.15);
    }

    std::unique_ptr<Instance> start(const std::string &name, const std::string &ini) {
        dir.write(name, ini);
        return std::make_unique<Instance>(dir.file(name), game);
    }

    // A server, or a client of 127.0.0.1, on `onPort` (the test's port by default), with
    // `more` settings lines.
    std::unique_ptr<Instance> startServer(const std::string &more = {}, int onPort = 0) {
        return start("server.ini", "[Opcions]\nTipusConexio=1\nScanTime=1000\n" + more +
                                       "Port=" + std::to_string(onPort ? onPort : port) + "\n");
    }
    std::unique_ptr<Instance> startClient(const std::string &more = {}, int onPort = 0) {
        return start("client.ini", "[Opcions]\nTipusConexio=2\nIP=127.000.000.001\n" + more +
                                       "Port=" + std::to_string(onPort ? onPort : port) + "\n");
    }

    // Ticks the given instances and lets socket events through until `done` holds.
    bool runUntil(const std::vector<Instance *> &instances, const std::function<bool()> &done) {
        QElapsedTimer clock;
        clock.start();
        while (!done() && clock.elapsed() < testing::kPatienceMs) {
            for (Instance *instance : instances) {
                instance->program.scanTick();
            }
            for (int i = 0; i < 5; ++i) {
                QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
                QThread::msleep(2);
            }
        }
        return done();
    }

    testing::TempDir dir;
    testing::FakeProcessMemory game;
    int port = 0;
};

TEST_F(NetworkTest, AClientShowsTheServersSamplesInItsOwnUnits) {
    auto server = startServer();
    auto client = startClient("Unitats=Imperial\nIdioma=English\n");
    std::vector<Instance *> both = {server.get(), client.get()};
    ASSERT_TRUE(runUntil(both, [&] { return client->caption(30) == "Lince Turbo 16V"; }));
    EXPECT_EQ(server->caption(15), "CONECTADO");
    EXPECT_EQ(client->caption(15), "CONNECTED");
    EXPECT_EQ(client->caption(1), "RACE07 EN MARCHA");
    EXPECT_EQ(server->caption(24), " 180kPA");
    EXPECT_EQ(client->caption(24), " 26PSI");
    EXPECT_EQ(server->caption(18), " 100");
    EXPECT_EQ(client->caption(18), " 212");
    EXPECT_EQ(client->caption(16), "10.57G");
    EXPECT_EQ(client->caption(28), "Anella Sud");
    EXPECT_EQ(client->caption(14), " 3");
    EXPECT_EQ(client->state.followed.CarSlot, 0);

    // The game ends: the client's status follows while its dashboard keeps the last sample.
    game.windows.clear();
    ASSERT_TRUE(runUntil({server.get()}, [&] {
        QCoreApplication::processEvents();
        return client->caption(1) == "RACE07 NO CARGADO";
    }));
    EXPECT_EQ(client->caption(30), "Lince Turbo 16V");

    // The client leaves: the server shows it, listens again and takes a new client.
    client.reset();
    ASSERT_TRUE(runUntil({server.get()}, [&] { return server->caption(15) == "N/A"; }));
    ASSERT_TRUE(runUntil({server.get()}, [&] { return server->caption(15) == "ESCUCHANDO"; }));
    auto second = startClient();
    ASSERT_TRUE(runUntil({server.get(), second.get()},
                         [&] { return second->caption(1) == "RACE07 NO CARGADO"; }));

    // The server leaves: the client keeps trying and connects to the next server.
    server.reset();
    ASSERT_TRUE(runUntil({second.get()}, [&] { return second->caption(15) != "CONECTADO"; }));
    game.windows["RACE 07"] = 1;
    auto again = startServer();
    ASSERT_TRUE(runUntil({again.get(), second.get()},
                         [&] { return second->caption(1) == "RACE07 EN MARCHA"; }));
    EXPECT_EQ(second->caption(15), "CONECTADO");
    // Beside its own menus and scan timer, the client shows exactly what the server shows.
    dashboard::Screen shown = second->program.screen();
    shown.menus = again->program.screen().menus;
    shown.scanIntervalMs = again->program.screen().scanIntervalMs;
    EXPECT_TRUE(shown == again->program.screen());
}

TEST_F(NetworkTest, AServerKeepsSendingWhileHidingItsOwnData) {
    auto server = startServer("DadesServ=False\n");
    // Browsers are handed every sample with the program's lap book: they show it all.
    std::string presented;
    server->program.onPresent = [&](const telemetry::TelemetrySample *sample) {
        presented = sample ? sample->CarName : presented;
    };
    auto client = startClient();
    ASSERT_TRUE(runUntil({server.get(), client.get()},
                         [&] { return client->caption(30) == "Lince Turbo 16V"; }));
    EXPECT_EQ(server->caption(30), "");
    EXPECT_EQ(presented, "Lince Turbo 16V");
    ASSERT_TRUE(server->program.lapBook().lastShownInFull());
    EXPECT_EQ(server->program.lapBook().lastShownInFull()->CarName, "Lince Turbo 16V");
}

TEST_F(NetworkTest, APortInUseIsReportedUntilItIsFree) {
    QTcpServer squatter;
    ASSERT_TRUE(squatter.listen(QHostAddress::Any, static_cast<quint16>(port)));
    auto server = startServer();
    {
        testing::ErrorCapture capture;
        // The link's failure does not keep the game from being read and shown.
        ASSERT_TRUE(
            runUntil({server.get()}, [&] { return server->caption(30) == "Lince Turbo 16V"; }));
        ASSERT_FALSE(capture.reports().empty());
        EXPECT_EQ(capture.reports()[0].routine, "Temps");
        EXPECT_EQ(server->caption(15), "N/A");
        EXPECT_EQ(server->caption(1), "RACE07 EN MARCHA");
    }
    // The window says why, once.
    const QList<QMessageBox *> boxes = server->window.findChildren<QMessageBox *>();
    ASSERT_EQ(boxes.size(), 1);
    // In the language the settings give (the default), the system's reason after it.
    EXPECT_TRUE(boxes[0]->text().startsWith(
        QStringLiteral("No se puede escuchar en el puerto %1: ").arg(port)))
        << boxes[0]->text().toStdString();
    // Above 1024 the port is not the reason: no advice to choose another range.
    EXPECT_FALSE(boxes[0]->text().contains(QStringLiteral("1024")));
    squatter.close();
    server->program.scanTick();
    server->program.scanTick();
    EXPECT_EQ(server->caption(15), "ESCUCHANDO");
}

TEST_F(NetworkTest, ANewPortOrServerAddressHoldsAsSoonAsItIsConfirmed) {
    const int oldPort = port;
    const int newPort = freePort();
    auto server = startServer({}, oldPort);
    server->program.scanTick();
    EXPECT_EQ(server->program.serverDialogConfirmed(std::to_string(newPort)), "");
    const auto connects = [](int toPort) {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(toPort));
        return probe.waitForConnected(2000);
    };
    EXPECT_TRUE(connects(newPort));
    EXPECT_FALSE(connects(oldPort));
    server.reset();

    QTcpServer first;
    QTcpServer second;
    ASSERT_TRUE(first.listen(QHostAddress::LocalHost, static_cast<quint16>(oldPort)));
    ASSERT_TRUE(second.listen(QHostAddress::LocalHost, static_cast<quint16>(newPort)));
    auto client = startClient({}, oldPort);
    ASSERT_TRUE(runUntil({client.get()}, [&] { return client->state.link.ClientConnected; }));
    EXPECT_EQ(client->program.clientDialogConfirmed("127.000.000.001", std::to_string(newPort)),
              "");
    QElapsedTimer clock;
    clock.start();
    while (!second.hasPendingConnections() && clock.elapsed() < testing::kPatienceMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_TRUE(second.hasPendingConnections());

    // Another address on the same port is another server too.
    QTcpServer third;
    ASSERT_TRUE(
        third.listen(QHostAddress(QStringLiteral("127.0.0.2")), static_cast<quint16>(newPort)));
    EXPECT_EQ(client->program.clientDialogConfirmed("127.000.000.002", std::to_string(newPort)),
              "");
    clock.restart();
    while (!third.hasPendingConnections() && clock.elapsed() < testing::kPatienceMs) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    EXPECT_TRUE(third.hasPendingConnections());
}

void letEventsThrough(int rounds = 20) {
    for (int i = 0; i < rounds; ++i) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
}

TEST_F(NetworkTest, AClientDropsAHalfFrameFromAServerThatDiedAndReconnects) {
    QTcpServer rawServer;
    ASSERT_TRUE(rawServer.listen(QHostAddress::LocalHost, static_cast<quint16>(port)));
    auto client = startClient();
    const QByteArray frame = QByteArray::fromStdString(net::writeNoGameFrame("FIRST SERVER"));
    ASSERT_TRUE(runUntil({client.get()}, [&] { return rawServer.hasPendingConnections(); }));
    QTcpSocket *first = rawServer.nextPendingConnection();
    ASSERT_TRUE(runUntil({client.get()}, [&] { return client->state.link.ClientConnected; }));
    first->write(frame.left(40));
    first->flush();
    letEventsThrough();
    first->abort();

    // The next server's frames read whole, untouched by the half frame left over.
    ASSERT_TRUE(runUntil({client.get()}, [&] { return rawServer.hasPendingConnections(); }));
    QTcpSocket *second = rawServer.nextPendingConnection();
    ASSERT_TRUE(runUntil({client.get()}, [&] { return client->state.link.ClientConnected; }));
    second->write(QByteArray::fromStdString(net::writeNoGameFrame("SECOND SERVER")));
    second->flush();
    ASSERT_TRUE(runUntil({client.get()}, [&] { return client->caption(1) == "SECOND SERVER"; }));
}

TEST_F(NetworkTest, AServerDiscardsWhatAFloodingClientSends) {
    auto server = startServer();
    server->program.scanTick();
    QTcpSocket flood;
    flood.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
    ASSERT_TRUE(runUntil({server.get()}, [&] { return server->state.link.ServerConnected; }));
    const QByteArray chunk(1 << 20, 'x');
    qint64 mostHeld = 0;
    for (int megabyte = 0; megabyte < 64; ++megabyte) {
        flood.write(chunk);
        QElapsedTimer clock;
        clock.start();
        while (flood.bytesToWrite() > 0 && clock.elapsed() < testing::kPatienceMs) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            mostHeld = std::max(mostHeld, server->server.bytesHeld());
        }
    }
    letEventsThrough();
    // Whatever arrives is dropped as it comes: nothing piles up on the server.
    EXPECT_EQ(mostHeld, 0);
    EXPECT_EQ(flood.bytesToWrite(), 0);
    EXPECT_TRUE(server->state.link.ServerConnected);
}

TEST_F(NetworkTest, AServerSurvivesClientsComingAndGoingInATightLoop) {
    auto server = startServer();
    server->program.scanTick();
    QElapsedTimer clock;
    clock.start();
    int visits = 0;
    while (clock.elapsed() < 2000) {
        QTcpSocket visitor;
        visitor.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        QCoreApplication::processEvents(QEventLoop::AllEvents, 2);
        visitor.abort();
        server->program.scanTick();
        ++visits;
    }
    EXPECT_GT(visits, 20);
    auto client = startClient();
    ASSERT_TRUE(runUntil({server.get(), client.get()},
                         [&] { return client->caption(30) == "Lince Turbo 16V"; }));
}

} // namespace
} // namespace ostrelo::app
