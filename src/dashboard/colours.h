// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/screen.h"

#include <array>

namespace ostrelo::dashboard {

/// Value below its minimum, and the base colour of the value readings in graphics mode.
inline constexpr Colour ColourLow = rgb(0, 192, 192);
/// Value from its minimum up to, not including, its maximum.
inline constexpr Colour ColourOk = rgb(128, 255, 128);
/// Value at or above its maximum.
inline constexpr Colour ColourHigh = rgb(255, 128, 128);
/// Value readings while graphics are off.
inline constexpr Colour ColourPlain = rgb(255, 255, 255);

/// The threshold-coloured readings in their update order: oil, water, the twelve tyre
/// temperatures, the four pressures, the four brake temperatures.
inline std::array<Reading *, 22> valueReadings(Screen &s) {
    return {&s.oilTemp,         &s.waterTemp,       &s.tyreTemp[0][0],  &s.tyreTemp[0][1],
            &s.tyreTemp[0][2],  &s.tyreTemp[1][0],  &s.tyreTemp[1][1],  &s.tyreTemp[1][2],
            &s.tyreTemp[2][0],  &s.tyreTemp[2][1],  &s.tyreTemp[2][2],  &s.tyreTemp[3][0],
            &s.tyreTemp[3][1],  &s.tyreTemp[3][2],  &s.tyrePressure[0], &s.tyrePressure[1],
            &s.tyrePressure[2], &s.tyrePressure[3], &s.brakeTemp[0],    &s.brakeTemp[1],
            &s.brakeTemp[2],    &s.brakeTemp[3]};
}

} // namespace ostrelo::dashboard
