// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>

#include <filesystem>
#include <memory>

struct xcb_connection_t;

namespace ostrelo::testing {

/// A private X server (Xvfb) for tests that need real windows; DISPLAY points at it while it
/// lives and is restored afterwards.
class XDisplay {
public:
    XDisplay();
    ~XDisplay();
    XDisplay(const XDisplay &) = delete;
    XDisplay &operator=(const XDisplay &) = delete;

    /// False when Xvfb could not start; `error()` says why.
    bool running() const { return !m_name.isEmpty(); }
    const QString &error() const { return m_error; }
    const QString &name() const { return m_name; }

private:
    QProcess m_server;
    QString m_name;
    QString m_error;
    QByteArray m_previousDisplay;
    xcb_connection_t *m_holder = nullptr;
};

/// The simulated game's arguments for the scenario that pins every value the acquisition
/// reads (kFullScenario), written into `folder`.
QStringList fullScenarioArguments(const std::filesystem::path &folder);

/// The simulated game as a second process, started with `arguments` and running until the
/// object goes away or `kill()` is called.
class SimulatedGame {
public:
    explicit SimulatedGame(const QStringList &arguments);
    ~SimulatedGame();
    SimulatedGame(const SimulatedGame &) = delete;
    SimulatedGame &operator=(const SimulatedGame &) = delete;

    /// True once the game has mapped its memory and shown its window.
    bool ready() const { return m_ready; }
    qint64 processId() const { return m_process.processId(); }
    QString errors() { return QString::fromLocal8Bit(m_process.readAllStandardError()); }
    void kill();

private:
    QProcess m_process;
    bool m_ready = false;
};

} // namespace ostrelo::testing
