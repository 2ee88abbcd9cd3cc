// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/patience.h"
#include "support/temp_dir.h"
#include "support/x_display.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QThread>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace ostrelo::app {
namespace {

// A real ostrelo process on the offscreen platform; the game is looked for on $DISPLAY.
class RunningInstance {
public:
    explicit RunningInstance(const QStringList &arguments) {
        m_process.start(QStringLiteral(OSTRELO_BINARY),
                        QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen")} +
                            arguments);
        m_process.waitForStarted();
    }
    ~RunningInstance() {
        m_process.kill();
        m_process.waitForFinished();
    }

private:
    QProcess m_process;
};

int countOf(const std::string &text, const std::string &what) {
    int count = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

// Waits for `done`, for as long as a loaded machine may need to start two programs and attach.
bool waitFor(const std::function<bool()> &done) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < testing::kPatienceMs) {
        QThread::msleep(100);
    }
    return done();
}

TEST(TwoInstances, ServerAndClientOnOneMachineShareTheGame) {
    testing::XDisplay display;
    ASSERT_TRUE(display.running()) << display.error().toStdString();
    testing::TempDir dir;
    testing::SimulatedGame game(testing::fullScenarioArguments(dir.path()));
    ASSERT_TRUE(game.ready());
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    const std::string port = std::to_string(probe.serverPort());
    probe.close();
    const QString server = QString::fromStdString(
        dir.write("server.ini", "[Opcions]\nTipusConexio=1\nScanTime=50\nPort=" + port + "\n"));
    const QString client = QString::fromStdString(
        dir.write("client.ini", "[Opcions]\nTipusConexio=2\nScanTime=50\nIP=127.000.000.001\n"
                                "Port=" +
                                    port + "\n"));
    const std::string row =
        ",received,Marta Vidal,105,90,Marta Vidal,4,700,921.5,1,7,42.5,97.5,98.25,4,80,";
    const RunningInstance serverInstance({QStringLiteral("--config"), server});
    const RunningInstance clientInstance({QStringLiteral("--config"), client,
                                          QStringLiteral("--log"),
                                          QString::fromStdString(dir.file("client.csv"))});
    ASSERT_TRUE(waitFor([&] { return countOf(dir.read("client.csv"), row) > 0; }))
        << dir.read("client.csv");
    EXPECT_NE(dir.read("client.csv").find(",Lince Turbo 16V,RACE07 EN MARCHA\r\n"),
              std::string::npos);
}

TEST(TwoInstances, AClientShowsEveryFrameWhateverTheTwoScanTimes) {
    testing::XDisplay display;
    ASSERT_TRUE(display.running()) << display.error().toStdString();
    testing::TempDir dir;
    testing::SimulatedGame game(testing::fullScenarioArguments(dir.path()));
    ASSERT_TRUE(game.ready());
    struct Case {
        int serverScanMs;
        int clientScanMs;
    };
    // Real timers: each frame that arrives must neither hold off nor wait for the client's tick.
    for (const Case c : {Case{10, 1000}, Case{150, 500}}) {
        SCOPED_TRACE(std::to_string(c.serverScanMs) + " / " + std::to_string(c.clientScanMs));
        QTcpServer probe;
        probe.listen(QHostAddress::LocalHost, 0);
        const std::string port = std::to_string(probe.serverPort());
        probe.close();
        const std::string log = dir.file("client-" + std::to_string(c.serverScanMs) + ".csv");
        const std::string serverLog = dir.file("server-" + std::to_string(c.serverScanMs) + ".csv");
        RunningInstance server(
            {QStringLiteral("--config"),
             QString::fromStdString(dir.write("server.ini", "[Opcions]\nTipusConexio=1\nScanTime=" +
                                                                std::to_string(c.serverScanMs) +
                                                                "\nPort=" + port + "\n")),
             QStringLiteral("--log"), QString::fromStdString(serverLog)});
        RunningInstance client(
            {QStringLiteral("--config"),
             QString::fromStdString(dir.write(
                 "client.ini", "[Opcions]\nTipusConexio=2\nIP=127.000.000.001\nScanTime=" +
                                   std::to_string(c.clientScanMs) + "\nPort=" + port + "\n")),
             QStringLiteral("--log"), QString::fromStdString(log)});
        const std::string name = std::filesystem::path(log).filename().string();
        const std::string serverName = std::filesystem::path(serverLog).filename().string();
        ASSERT_TRUE(waitFor([&] { return countOf(dir.read(name), ",received,") > 0; }));
        // Watched over the samples the server reads, not the clock, so that a loaded machine
        // slows both alike.
        const int first = countOf(dir.read(name), ",received,");
        const int read = countOf(dir.read(serverName), ",game,");
        constexpr int kWatched = 12;
        ASSERT_TRUE(
            waitFor([&] { return countOf(dir.read(serverName), ",game,") >= read + kWatched; }));
        const int shown = countOf(dir.read(name), ",received,") - first;
        // At least half the frames the server's scan makes, far more than the client's ticks.
        EXPECT_GE(shown, kWatched / 2);
    }
}

} // namespace
} // namespace ostrelo::app
