// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/graphics_mode.h"

#include "core/error.h"
#include "core/settings.h"
#include "dashboard/colours.h"

namespace ostrelo::dashboard {

void Canvia_Grafics(runtime::AppState &state, Screen &screen) {
    core::trap("Canvia_Grafics", [&] {
        const bool on = !state.settings.NoGrafics;
        for (Reading *reading : valueReadings(screen)) {
            reading->background = on ? ColourLow : ColourPlain;
        }
        if (!on) {
            for (Bar *bar : {&screen.rpm, &screen.throttleBar, &screen.brakeBar, &screen.speed}) {
                bar->value = 0;
            }
            screen.wheelLocked = {};
        }
        core::saveSetting(state.store, state.settings, core::SettingKey::NoGrafics);
    });
}

} // namespace ostrelo::dashboard
