// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/screen.h"
#include "runtime/app_state.h"

namespace ostrelo::dashboard {

/// Applies `NoGrafics`. Graphics on: the value labels take the base colour. Graphics off:
/// the bars are emptied, the value labels turn plain white and the wheel-lock markers are
/// hidden. Then `NoGrafics` is stored.
void Canvia_Grafics(runtime::AppState &state, Screen &screen);

} // namespace ostrelo::dashboard
