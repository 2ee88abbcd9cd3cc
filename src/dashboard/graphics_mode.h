// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/app_state.h"
#include "core/main_view.h"

namespace ostrelo::dashboard {

/// Applies `NoGrafics`. Graphics on: the value labels take the base colour. Graphics off:
/// the bars are emptied, the value labels turn plain white and the wheel-lock markers are
/// hidden. Then the `Graficos` check mark follows and `NoGrafics` is stored.
void Canvia_Grafics(core::AppState &state, core::MainView &view);

/// A click on `Graficos`: toggles the graphics mode.
void toggleGraphics(core::AppState &state, core::MainView &view);

} // namespace ostrelo::dashboard
