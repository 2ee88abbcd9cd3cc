// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/temp_dir.h"
#include "support/x_display.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <regex>

namespace ostrelo::app {
namespace {

int freePort() {
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

// The page as a real browser shows it after `ms` milliseconds of running its script (the
// browser's own clock, which runs ahead of the samples that arrive meanwhile).
std::string browserView(const QString &url, const std::string &profile, int ms) {
    const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
    EXPECT_FALSE(chromium.isEmpty()) << "chromium is needed (scripts/install-deps.sh)";
    QProcess browser;
    browser.start(chromium, {QStringLiteral("--headless=new"), QStringLiteral("--no-sandbox"),
                             QStringLiteral("--disable-gpu"), QStringLiteral("--no-first-run"),
                             QStringLiteral("--user-data-dir=") + QString::fromStdString(profile),
                             QStringLiteral("--virtual-time-budget=%1").arg(ms),
                             QStringLiteral("--dump-dom"), url});
    browser.waitForFinished(ms + 30000);
    return browser.readAllStandardOutput().toStdString();
}

// Waits until the dashboard at `port` sends a sample, as a viewer would see it.
bool sendsSamples(int port) {
    QWebSocket viewer;
    bool live = false;
    QObject::connect(&viewer, &QWebSocket::textMessageReceived, [&live](const QString &text) {
        live = live || text.startsWith(QStringLiteral("{\"live\":true"));
    });
    viewer.open(QUrl(QStringLiteral("ws://127.0.0.1:%1/live").arg(port)));
    QElapsedTimer clock;
    clock.start();
    while (!live && clock.elapsed() < 15000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return live;
}

// The browser's clock runs ahead of the samples that arrive meanwhile, so a view may come
// before the first one: look again, a few times, until `expected` shows.
std::string browserViewShowing(const QString &url, const std::string &profile,
                               const std::string &expected) {
    std::string view;
    for (int attempt = 0; attempt < 5 && view.find(expected) == std::string::npos; ++attempt) {
        view = browserView(url, profile, 4000);
    }
    return view;
}

bool answers(int port) {
    QTcpSocket socket;
    socket.connectToHost(QStringLiteral("127.0.0.1"), static_cast<quint16>(port));
    return socket.waitForConnected(200);
}

// The real program reading the simulated game, and a real browser showing its dashboard.
TEST(WebDashboard, ABrowserShowsTheDashboardInItsOwnLanguageAndUnits) {
    testing::XDisplay display;
    ASSERT_TRUE(display.running()) << display.error().toStdString();
    testing::TempDir dir;
    testing::SimulatedGame game(testing::fullScenarioArguments(dir.path()));
    ASSERT_TRUE(game.ready()) << game.errors().toStdString();
    const int port = freePort();
    const std::string ini = dir.write("Ostrelo.ini", "[Opcions]\nScanTime=50\n");
    QProcess ostrelo;
    ostrelo.start(QStringLiteral(OSTRELO_BINARY),
                  {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                   QStringLiteral("--config"), QString::fromStdString(ini), QStringLiteral("--web"),
                   QStringLiteral("127.0.0.1:%1").arg(port)});
    QElapsedTimer clock;
    clock.start();
    while (!answers(port) && clock.elapsed() < 10000) {
        QThread::msleep(100);
    }
    ASSERT_TRUE(answers(port));
    ASSERT_TRUE(sendsSamples(port));
    const QString base = QStringLiteral("http://127.0.0.1:%1/").arg(port);

    const std::string english =
        browserViewShowing(base + QStringLiteral("?lang=English&units=Imperial&standings=1"),
                           dir.file("a"), ">RACE07 RUNNING<");
    EXPECT_NE(english.find(">Lince Turbo 16V<"), std::string::npos) << english;
    EXPECT_NE(english.find(">RACE07 RUNNING<"), std::string::npos);
    EXPECT_NE(english.find(">11.23G<"), std::string::npos);
    EXPECT_NE(english.find(">Water<"), std::string::npos);
    // The lamps as sent: the ignition on, the limiter off.
    EXPECT_TRUE(std::regex_search(english, std::regex(R"(class="el lamp lit"[^>]*>CONTACT<)")));
    EXPECT_TRUE(std::regex_search(english, std::regex(R"(class="el lamp"[^>]*>SPD LIMIT<)")));
    // The whole field in race order, the followed car marked.
    EXPECT_NE(english.find("<th>Gap</th>"), std::string::npos);
    EXPECT_NE(english.find("<td>Joan Ribas</td>"), std::string::npos);
    EXPECT_TRUE(std::regex_search(
        english, std::regex(R"(<tr class="followed"><td>\d+</td><td>Marta Vidal</td>)")));
    // The fastest lap of the field is marked in its row's best-lap cell.
    EXPECT_TRUE(std::regex_search(
        english,
        std::regex(R"(<tr[^>]*>(<td>[^<]*</td>){4}<td class="best">\d:\d\d\.\d{3}</td>)")));

    const std::string spanish = browserViewShowing(base, dir.file("b"), ">RACE07 EN MARCHA<");
    EXPECT_NE(spanish.find(">RACE07 EN MARCHA<"), std::string::npos) << spanish;
    EXPECT_NE(spanish.find(">42.50L<"), std::string::npos);
    // Not asked for, the tower stays hidden.
    EXPECT_NE(spanish.find(R"(<div id="standings" hidden="">)"), std::string::npos);
    // The window's settings file is untouched by what the viewers chose.
    EXPECT_EQ(dir.read("Ostrelo.ini").find("Imperial"), std::string::npos);

    // Without samples the page says so and dims what it shows.
    game.kill();
    QThread::msleep(3000);
    const std::string stale = browserViewShowing(base, dir.file("c"), ">SIN DATOS<");
    EXPECT_NE(stale.find("class=\"stale\""), std::string::npos) << stale;
    EXPECT_NE(stale.find(">SIN DATOS<"), std::string::npos);
    ostrelo.terminate();
    ostrelo.waitForFinished();
}

} // namespace
} // namespace ostrelo::app
