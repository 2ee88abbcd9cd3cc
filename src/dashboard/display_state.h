// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "i18n/texts.h"
#include "runtime/app_state.h"

#include <cstdint>
#include <string>

namespace ostrelo::dashboard {

/// What one view of the dashboard keeps for its unit system: unit texts and display thresholds.
struct DisplayState {
    std::string TempUnit = "\u00BAC";
    std::string FuelUnit = "L";
    std::string PressureUnit = "kPA";
    /// The thresholds in the unit system of the display.
    core::Thresholds thresholds;
    /// The user's decimal separator, used by the digit patterns.
    char decimalSeparator = '.';
};

/// What a view of the dashboard is drawn in: the texts of its language, its unit system and
/// the graphics mode; and, for the window alone, the debug lines.
struct ViewOptions {
    const i18n::Texts *texts = nullptr;
    bool imperial = false;
    bool graphics = true;
    bool debug = false;
    /// The millisecond counter when the processing run started, for the debug timing.
    std::int32_t processStartTick = 0;
};

/// The car the samples follow: how it is chosen and its slot (0 to 63).
struct FollowedSlot {
    runtime::FollowedCar mode = runtime::FollowedCar::Local;
    std::int16_t slot = 0;
};

} // namespace ostrelo::dashboard
