// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/x_display.h"

#include "support/patience.h"
#include "support/scenario.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QThread>

#include <fstream>
#include <xcb/xcb.h>

namespace ostrelo::testing {

XDisplay::XDisplay() {
    m_previousDisplay = qgetenv("DISPLAY");
    // Xvfb picks a free display number and writes it to the given descriptor (stdout).
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                    QStringLiteral("-noreset")});
    if (!m_server.waitForStarted(kPatienceMs)) {
        m_error = QStringLiteral("Xvfb did not start: ") + m_server.errorString();
        return;
    }
    QByteArray number;
    while (!number.contains('\n') && m_server.waitForReadyRead(kPatienceMs)) {
        number += m_server.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        m_error = QStringLiteral("Xvfb did not say its display number");
        return;
    }
    const QString name = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    // The display is ready once a client gets in. The connection stays open while the display
    // lives, so that the server never resets between two clients of a test.
    QElapsedTimer clock;
    clock.start();
    m_holder = xcb_connect(name.toLatin1().constData(), nullptr);
    while (xcb_connection_has_error(m_holder) && clock.elapsed() < kPatienceMs) {
        xcb_disconnect(m_holder);
        QThread::msleep(20);
        m_holder = xcb_connect(name.toLatin1().constData(), nullptr);
    }
    if (xcb_connection_has_error(m_holder)) {
        m_error = QStringLiteral("Xvfb on ") + name + QStringLiteral(" takes no client");
        return;
    }
    m_name = name;
    qputenv("DISPLAY", m_name.toLatin1());
}

XDisplay::~XDisplay() {
    if (m_holder) {
        xcb_disconnect(m_holder);
    }
    m_server.terminate();
    m_server.waitForFinished(5000);
    if (m_previousDisplay.isEmpty()) {
        qunsetenv("DISPLAY");
    } else {
        qputenv("DISPLAY", m_previousDisplay);
    }
}

QStringList fullScenarioArguments(const std::filesystem::path &folder) {
    const std::filesystem::path file = folder / "scenario.ini";
    std::ofstream(file) << kFullScenario;
    return {QStringLiteral("--scenario"), QString::fromStdString(file.string())};
}

SimulatedGame::SimulatedGame(const QStringList &arguments) {
    m_process.setProgram(QStringLiteral(OSTRELO_SIMGAME));
    m_process.setArguments(arguments);
    // The game needs a real window on the test's X server, whatever platform the tests use.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    m_process.setProcessEnvironment(environment);
    m_process.start();
    if (!m_process.waitForStarted(kPatienceMs)) {
        return;
    }
    QByteArray output;
    while (!output.contains("ready") && m_process.waitForReadyRead(kPatienceMs)) {
        output += m_process.readAllStandardOutput();
    }
    m_ready = output.contains("ready");
}

SimulatedGame::~SimulatedGame() {
    kill();
}

void SimulatedGame::kill() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

} // namespace ostrelo::testing
