// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/scan_time.h"

#include "core/error.h"

namespace ostrelo::dashboard {

void Canvia_Scan(core::SettingsStore &store, const core::Settings &settings,
                 const i18n::Texts &texts, Screen &screen,
                 const std::function<void()> &resetAttachment) {
    core::trap("Canvia_Scan", [&] {
        screen.gameStatus = texts.TextScanning;
        core::saveSetting(store, settings, core::SettingKey::ScanTime);
        if (resetAttachment) {
            resetAttachment();
        }
        screen.scanIntervalMs = settings.ScanTime;
    });
}

} // namespace ostrelo::dashboard
