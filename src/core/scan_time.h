// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/app_state.h"
#include "core/main_view.h"

#include <array>
#include <functional>
#include <utility>

namespace ostrelo::core {

/// The scan-time menu items and the interval in milliseconds each one chooses.
inline constexpr std::array<std::pair<MenuItem, std::int16_t>, 5> kScanTimeItems = {{
    {MenuItem::TS_10, 10},
    {MenuItem::TS_50, 50},
    {MenuItem::TS_150, 150},
    {MenuItem::TS_500, 500},
    {MenuItem::TS_1000, 1000},
}};

/// Applies `ScanTime`: shows the scanning text, marks the matching menu item (none when no
/// item matches), stores the interval in the settings file, restarts the game search and
/// sets the timer's interval. A failure is reported under "Canvia_Scan".
void Canvia_Scan(AppState &state, MainView &view, const std::function<void()> &resetAttachment);

/// A click on a scan-time item: applies `intervalMs` unless it is already in force.
void chooseScanTime(AppState &state, MainView &view, std::int16_t intervalMs,
                    const std::function<void()> &resetAttachment);

} // namespace ostrelo::core
