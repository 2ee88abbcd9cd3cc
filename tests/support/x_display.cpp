// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/x_display.h"

#include "support/scenario.h"

#include <QByteArray>
#include <QProcessEnvironment>

#include <fstream>

namespace ostrelo::testing {

XDisplay::XDisplay() {
    m_previousDisplay = qgetenv("DISPLAY");
    // Xvfb picks a free display number and writes it to the given descriptor (stdout).
    m_server.start(QStringLiteral("Xvfb"),
                   {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                    QStringLiteral("0"), QStringLiteral("1280x1024x24"),
                    QStringLiteral("-nolisten"), QStringLiteral("tcp")});
    if (!m_server.waitForStarted(5000)) {
        m_error = QStringLiteral("Xvfb did not start: ") + m_server.errorString();
        return;
    }
    QByteArray number;
    while (!number.contains('\n') && m_server.waitForReadyRead(10000)) {
        number += m_server.readAllStandardOutput();
    }
    if (!number.contains('\n')) {
        m_error = QStringLiteral("Xvfb did not say its display number");
        return;
    }
    m_name = QLatin1Char(':') + QString::fromLatin1(number.trimmed());
    qputenv("DISPLAY", m_name.toLatin1());
}

XDisplay::~XDisplay() {
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
    if (!m_process.waitForStarted(5000)) {
        return;
    }
    QByteArray output;
    while (!output.contains("ready") && m_process.waitForReadyRead(10000)) {
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
