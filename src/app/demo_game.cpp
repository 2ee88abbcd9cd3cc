// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/demo_game.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

#include <csignal>
#ifdef __linux__
#include <sys/prctl.h>
#endif

namespace ostrelo::app {
namespace {

QString simulatedGamePath() {
    const QString name = QStringLiteral("ostrelo-simgame");
    const QString folder = QCoreApplication::applicationDirPath();
    // Installed beside the program, or in the build tree, or anywhere on the PATH.
    const QStringList nearby = {folder,
                                QDir(folder).filePath(QStringLiteral("../../tools/simgame"))};
    const QString found = QStandardPaths::findExecutable(name, nearby);
    return found.isEmpty() ? QStandardPaths::findExecutable(name) : found;
}

} // namespace

DemoGame::DemoGame(double speed) {
    const QString path = simulatedGamePath();
    if (path.isEmpty()) {
        m_error = QStringLiteral("the simulated game ostrelo-simgame was not found");
        return;
    }
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
#ifdef __linux__
    // The game goes with the program even when the program is killed outright.
    m_process.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
#endif
    // Fuel for about nine laps at a time, so that the radio calls the fuel every few laps.
    m_process.start(path, {QStringLiteral("--fuel"), QStringLiteral("17"),
                           QStringLiteral("--speed"), QString::number(speed)});
    if (!m_process.waitForStarted(5000)) {
        m_error = QStringLiteral("the simulated game did not start: ") + m_process.errorString();
    }
}

DemoGame::~DemoGame() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(2000)) {
            m_process.kill();
            m_process.waitForFinished(2000);
        }
    }
}

} // namespace ostrelo::app
