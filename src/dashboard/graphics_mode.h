// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "core/settings_store.h"
#include "dashboard/screen.h"

namespace ostrelo::dashboard {

/// Puts a view's graphics on or off. On: the value labels take the base colour. Off: the bars
/// are emptied, the value labels turn plain white and the wheel-lock markers are hidden.
void showGraphicsMode(bool on, Screen &screen);

/// Applies `NoGrafics` to the window (`showGraphicsMode`), then stores it.
void Canvia_Grafics(core::SettingsStore &store, const core::Settings &settings, Screen &screen);

} // namespace ostrelo::dashboard
