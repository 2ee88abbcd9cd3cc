// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/scan_time.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/settings.h"

namespace ostrelo::core {

void Canvia_Scan(AppState &state, MainView &view, const std::function<void()> &resetAttachment) {
    trap("Canvia_Scan", [&] {
        view.setCaption(Label::Label1, state.texts.TextScanning);
        for (const auto &[item, interval] : kScanTimeItems) {
            view.setMenuChecked(item, false);
        }
        for (const auto &[item, interval] : kScanTimeItems) {
            if (interval == state.settings.ScanTime) {
                view.setMenuChecked(item, true);
            }
        }
        saveSetting(state.store, state.settings, SettingKey::ScanTime);
        if (resetAttachment) {
            resetAttachment();
        }
        view.setScanInterval(state.settings.ScanTime);
    });
}

void chooseScanTime(AppState &state, MainView &view, std::int16_t intervalMs,
                    const std::function<void()> &resetAttachment) {
    if (state.settings.ScanTime == intervalMs) {
        return;
    }
    state.settings.ScanTime = intervalMs;
    Canvia_Scan(state, view, resetAttachment);
}

} // namespace ostrelo::core
