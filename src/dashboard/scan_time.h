// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "core/settings_store.h"
#include "dashboard/screen.h"
#include "i18n/texts.h"

#include <array>
#include <functional>
#include <utility>

namespace ostrelo::dashboard {

/// The scan-time menu items and the interval in milliseconds each one chooses.
inline constexpr std::array<std::pair<MenuItem, std::int16_t>, 5> kScanTimeItems = {{
    {MenuItem::TS_10, 10},
    {MenuItem::TS_50, 50},
    {MenuItem::TS_150, 150},
    {MenuItem::TS_500, 500},
    {MenuItem::TS_1000, 1000},
}};

/// Applies `ScanTime`: shows the scanning text, stores the interval in the settings file,
/// restarts the game search and sets the timer's interval. A failure is reported under
/// "Canvia_Scan".
void Canvia_Scan(core::SettingsStore &store, const core::Settings &settings,
                 const i18n::Texts &texts, Screen &screen,
                 const std::function<void()> &resetAttachment);

} // namespace ostrelo::dashboard
