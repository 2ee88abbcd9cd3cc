// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "support/patience.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace ostrelo::testing {

/// Runs this thread's events until `done` holds, for at most `ms` milliseconds; whether it
/// held. Once seen it held: a state that comes and goes is not asked twice.
template <typename Condition> bool runUntil(Condition done, int ms = kPatienceMs) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

} // namespace ostrelo::testing
