// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/graphics_mode.h"

#include "core/error.h"
#include "core/settings.h"
#include "dashboard/colours.h"

namespace ostrelo::dashboard {

void showGraphicsMode(bool on, Screen &screen) {
    for (Reading *reading : valueReadings(screen)) {
        reading->background = on ? ColourLow : ColourPlain;
    }
    if (!on) {
        for (Bar *bar : {&screen.rpm, &screen.throttleBar, &screen.brakeBar, &screen.speed}) {
            bar->value = 0;
        }
        screen.wheelLocked = {};
    }
}

void Canvia_Grafics(runtime::AppState &state, Screen &screen) {
    core::trap("Canvia_Grafics", [&] {
        showGraphicsMode(!state.settings.NoGrafics, screen);
        core::saveSetting(state.store, state.settings, core::SettingKey::NoGrafics);
    });
}

} // namespace ostrelo::dashboard
