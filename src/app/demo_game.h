// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>

namespace ostrelo::app {

/// The simulated game started beside the program for a demonstration; it ends with the
/// program.
class DemoGame {
public:
    /// Starts the simulated game found next to the program (or on the PATH), its race run
    /// `speed` times as fast, its car short of fuel so that the radio has fuel to call in
    /// the first laps.
    explicit DemoGame(double speed = 1);
    ~DemoGame();
    DemoGame(const DemoGame &) = delete;
    DemoGame &operator=(const DemoGame &) = delete;

    /// Empty when the game runs; otherwise why it does not.
    const QString &error() const { return m_error; }

private:
    QProcess m_process;
    QString m_error;
};

} // namespace ostrelo::app
