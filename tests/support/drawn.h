// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "windows/main_window.h"

#include <QCoreApplication>

namespace ostrelo::testing {

/// Lets the event loop run until `window` has drawn the newest screen it was handed.
inline void waitUntilDrawn(const windows::MainWindow &window) {
    while (window.drawingPending()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

} // namespace ostrelo::testing
