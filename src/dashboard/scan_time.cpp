// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/scan_time.h"

#include "core/error.h"

namespace ostrelo::dashboard {

void Canvia_Scan(runtime::AppState &state, Screen &screen,
                 const std::function<void()> &resetAttachment) {
    core::trap("Canvia_Scan", [&] {
        screen.gameStatus = state.texts.TextScanning;
        core::saveSetting(state.store, state.settings, core::SettingKey::ScanTime);
        if (resetAttachment) {
            resetAttachment();
        }
        screen.scanIntervalMs = state.settings.ScanTime;
    });
}

} // namespace ostrelo::dashboard
