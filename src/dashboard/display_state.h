// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"

#include <cstdint>
#include <string>

namespace ostrelo::dashboard {

/// What the dashboard keeps between samples: unit texts and display thresholds of the unit
/// system in force, and the lap and fuel bookkeeping.
struct DisplayState {
    std::string TempUnit = "\u00BAC";
    std::string FuelUnit = "L";
    std::string PressureUnit = "kPA";
    /// The thresholds in the unit system of the display.
    core::Thresholds thresholds;
    /// The user's decimal separator, used by the digit patterns.
    char decimalSeparator = '.';
    /// The unit system `LapStartFuel` was registered in.
    bool imperialFuel = false;

    /// Lap number at the last lap change or ignition-on.
    float RegisteredLap = 0;
    /// Fuel in the tank at that moment, in the display unit in force.
    float LapStartFuel = 0;
    /// The ignition has been seen off since the last registration.
    bool ReferencePending = false;
    /// A lap and its fuel have been registered since start-up; before that there is no
    /// consumption to show.
    bool registered = false;
};

} // namespace ostrelo::dashboard
