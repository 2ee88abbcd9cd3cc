// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/graphics_mode.h"

#include "core/conversions.h"
#include "core/error.h"
#include "core/settings.h"
#include "dashboard/colours.h"

namespace ostrelo::dashboard {

void Canvia_Grafics(core::AppState &state, core::MainView &view) {
    core::trap("Canvia_Grafics", [&] {
        if (!state.settings.NoGrafics) {
            for (const core::Label label : kValueLabels) {
                view.setBackground(label, ColourLow);
            }
        } else {
            for (const int bar : {3, 1, 2, 4}) {
                view.setBarValue(bar, 0);
            }
            for (const core::Label label : kValueLabels) {
                view.setBackground(label, ColourPlain);
            }
            for (const int marker : {1, 2, 3, 4}) {
                view.setMarkerVisible(marker, false);
            }
        }
        view.setMenuChecked(core::MenuItem::Graficos, !state.settings.NoGrafics);
        core::saveSetting(state.store, state.settings, core::SettingKey::NoGrafics);
    });
}

void toggleGraphics(core::AppState &state, core::MainView &view) {
    state.settings.NoGrafics = !state.settings.NoGrafics;
    Canvia_Grafics(state, view);
}

} // namespace ostrelo::dashboard
