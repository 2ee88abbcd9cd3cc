// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_file.h"
#include "fakes/fake_stream_socket.h"
#include "i18n/language_table.h"
#include "net/connection.h"
#include "net/connection_mode.h"
#include "net/dialog_answers.h"
#include "runtime/app_state.h"

#include <gtest/gtest.h>

namespace ostrelo::net {
namespace {

using testing::FakeStreamSocket;

class ConnectionTest : public ::testing::Test {
protected:
    ConnectionTest() {
        state.texts = i18n::findLanguage("English")->texts;
        connection.onListenFailure = [this](const std::string &text) {
            listenFailures.push_back(text);
        };
    }

    std::string status() const { return linkStatusText(connection.status(), state.texts); }

    runtime::AppState state;
    std::vector<std::string> listenFailures;
    FakeStreamSocket server;
    FakeStreamSocket client;
    Connection connection{state.settings, state.texts, state.link, server, client};
};

TEST_F(ConnectionTest, AServerListensAcceptsOneClientAndListensAgain) {
    state.settings.TipusConexio = core::ConnectionMode::Server;
    connection.upkeep();
    EXPECT_EQ(status(), "NONE");
    EXPECT_EQ(server.calls, (std::vector<std::string>{"listen 1001"}));
    EXPECT_TRUE(state.link.SendReady);
    connection.upkeep();
    EXPECT_EQ(status(), "LISTENING");

    connection.acceptConnection();
    EXPECT_EQ(server.calls.back(), "accept");
    EXPECT_EQ(server.calls[server.calls.size() - 2], "close");
    connection.upkeep();
    EXPECT_TRUE(state.link.ServerConnected);
    EXPECT_EQ(status(), "CONNECTED");

    // The client goes away: one tick shows it, the next listens again.
    server.currentState = platform::kSocketClosing;
    server.calls.clear();
    connection.upkeep();
    EXPECT_FALSE(state.link.ServerConnected);
    EXPECT_EQ(status(), "NONE");
    EXPECT_EQ(server.calls, (std::vector<std::string>{"close", "listen 1001"}));
    connection.upkeep();
    EXPECT_EQ(status(), "LISTENING");
}

TEST_F(ConnectionTest, AClientKeepsTryingToConnect) {
    state.settings.TipusConexio = core::ConnectionMode::Client;
    state.settings.IP = "010.000.000.001";
    state.settings.Port = " 2048";
    connection.upkeep();
    EXPECT_EQ(client.calls, (std::vector<std::string>{"connect 10.0.0.1:2048"}));
    connection.upkeep();
    EXPECT_EQ(status(), "CONNECTING");
    EXPECT_EQ(client.calls.size(), 1u);
    client.currentState = platform::kSocketError;
    connection.upkeep();
    EXPECT_EQ(status(), "NONE");
    EXPECT_EQ(client.calls.back(), "connect 10.0.0.1:2048");
    client.currentState = platform::kSocketConnected;
    connection.upkeep();
    EXPECT_TRUE(state.link.ClientConnected);
    EXPECT_EQ(status(), "CONNECTED");
}

TEST_F(ConnectionTest, APortInUseFailsTheUpkeepAndIsShownOncePerReason) {
    state.settings.TipusConexio = core::ConnectionMode::Server;
    server.listenFails = true;
    EXPECT_THROW(connection.upkeep(), core::RunTimeError);
    EXPECT_THROW(connection.upkeep(), core::RunTimeError);
    // A port below 1024 comes with how to choose another one.
    ASSERT_EQ(listenFailures.size(), 1u);
    EXPECT_EQ(listenFailures[0],
              "Cannot listen on port 1001: port in use\n\n" + state.texts.TextPortHelp);
    server.listenFails = false;
    connection.upkeep();
    connection.upkeep();
    // Once listening worked, the same failure is news again.
    server.currentState = platform::kSocketClosed;
    server.listenFails = true;
    EXPECT_THROW(connection.upkeep(), core::RunTimeError);
    ASSERT_EQ(listenFailures.size(), 2u);
    EXPECT_EQ(listenFailures[1], listenFailures[0]);
    state.settings.Port = " 1024";
    EXPECT_THROW(connection.upkeep(), core::RunTimeError);
    ASSERT_EQ(listenFailures.size(), 3u);
    EXPECT_EQ(listenFailures[2], "Cannot listen on port 1024: port in use");
    state.settings.Port = " 70000";
    server.listenFails = false;
    connection.upkeep();
    EXPECT_EQ(server.calls.back(), "listen 70000");
}

// A refused port is told in the language in force, the system's text as it came; what was
// told stays told when the language changes.
TEST_F(ConnectionTest, APortRefusedIsToldInTheLanguageInForce) {
    state.settings.TipusConexio = core::ConnectionMode::Server;
    server.listenFails = true;
    const struct {
        const char *language;
        const char *port;
        std::vector<std::string> told;
    } steps[] = {
        {"Deutsch", " 10001", {"Auf Port 10001 kann nicht gelauscht werden: port in use"}},
        {"Català", " 10001", {"Auf Port 10001 kann nicht gelauscht werden: port in use"}},
        {"Català",
         " 10002",
         {"Auf Port 10001 kann nicht gelauscht werden: port in use",
          "No es pot escoltar al port 10002: port in use"}},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(std::string(step.language) + step.port);
        state.texts = i18n::findLanguage(step.language)->texts;
        state.settings.Port = step.port;
        EXPECT_THROW(connection.upkeep(), core::RunTimeError);
        EXPECT_EQ(listenFailures, step.told);
    }
}

TEST_F(ConnectionTest, SendsOneFrameAtATime) {
    state.settings.TipusConexio = core::ConnectionMode::Server;
    connection.upkeep();
    connection.send("frame 0");
    EXPECT_TRUE(server.sent.empty());
    connection.acceptConnection();
    connection.upkeep();
    connection.send("frame 1");
    connection.send("frame 2");
    EXPECT_EQ(server.sent, (std::vector<std::string>{"frame 1"}));
    EXPECT_FALSE(state.link.SendReady);
    connection.sendComplete();
    connection.send("frame 3");
    EXPECT_EQ(server.sent.back(), "frame 3");
}

TEST_F(ConnectionTest, TheModeWithoutConnectionClosesBothSockets) {
    state.settings.TipusConexio = core::ConnectionMode::Server;
    connection.upkeep();
    connection.acceptConnection();
    connection.upkeep();
    state.settings.TipusConexio = core::ConnectionMode::None;
    Canvia_Conexio(state.store, state.settings, connection);
    EXPECT_EQ(server.currentState, platform::kSocketClosed);
    connection.upkeep();
    EXPECT_EQ(status(), "");
    EXPECT_EQ(state.store.read("Opcions", "TipusConexio", ""), "0");
}

TEST(ConnectionDialogs, CheckPortsAndAddresses) {
    for (const char *good : {"1", "65535", " 1001 ", "80"}) {
        EXPECT_TRUE(isValidPort(good)) << good;
    }
    for (const char *bad : {"0", "65536", "-1", "", "abc", "1.5", "10 01", "1e3"}) {
        EXPECT_FALSE(isValidPort(bad)) << bad;
    }
    runtime::AppState state;
    EXPECT_EQ(confirmClientDialog(state.settings, "192.168.0.2", "1001"),
              DialogOutcome::BadAddress);
    EXPECT_EQ(state.settings.IP, "192.168.000.002");
    EXPECT_EQ(confirmClientDialog(state.settings, "010.000.000.009", "99999"),
              DialogOutcome::BadPort);
    EXPECT_EQ(state.settings.IP, "010.000.000.009");
    EXPECT_EQ(state.settings.TipusConexio, core::ConnectionMode::None);
    EXPECT_EQ(confirmClientDialog(state.settings, "010.000.000.009", " 2048"),
              DialogOutcome::Accepted);
    EXPECT_EQ(state.settings.Port, " 2048");
    EXPECT_EQ(state.settings.TipusConexio, core::ConnectionMode::Client);
    EXPECT_EQ(confirmServerDialog(state.settings, "x"), DialogOutcome::BadPort);
    EXPECT_EQ(state.settings.TipusConexio, core::ConnectionMode::Client);
    EXPECT_EQ(confirmServerDialog(state.settings, "1002"), DialogOutcome::Accepted);
    EXPECT_EQ(state.settings.Port, " 1002");
    EXPECT_EQ(state.settings.TipusConexio, core::ConnectionMode::Server);
}

} // namespace
} // namespace ostrelo::net
