// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "dashboard/screen.h"
#include "i18n/texts.h"

namespace ostrelo::dashboard {

/// The menu bar as the settings in force make it: captions in the language of `texts`, the
/// check marks of the language, units, graphics, scan time and connection mode, and
/// "show server data" offered in server mode only, the overlay's lock while it is shown.
void showMenus(Screen &screen, const core::Settings &settings, const i18n::Texts &texts);

} // namespace ostrelo::dashboard
