// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/screen.h"
#include "runtime/app_state.h"

namespace ostrelo::dashboard {

/// Puts a view's graphics on or off. On: the value labels take the base colour. Off: the bars
/// are emptied, the value labels turn plain white and the wheel-lock markers are hidden.
void showGraphicsMode(bool on, Screen &screen);

/// Applies `NoGrafics` to the window (`showGraphicsMode`), then stores it.
void Canvia_Grafics(runtime::AppState &state, Screen &screen);

} // namespace ostrelo::dashboard
