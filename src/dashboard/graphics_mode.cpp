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

void Canvia_Grafics(core::SettingsStore &store, const core::Settings &settings, Screen &screen) {
    core::trap("Canvia_Grafics", [&] {
        showGraphicsMode(!settings.NoGrafics, screen);
        core::saveSetting(store, settings, core::SettingKey::NoGrafics);
    });
}

} // namespace ostrelo::dashboard
