// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/screen.h"
#include "telemetry/telemetry_sample.h"

namespace ostrelo::dashboard {

/// The background of a value label: `ColourLow` below `minimum`, `ColourHigh` from `maximum`
/// up, `ColourOk` in between; a value that is not a number is `ColourLow`. With an inverted
/// pair, values from `maximum` up to `minimum` are `ColourHigh`.
Colour thresholdColour(float value, std::int16_t minimum, std::int16_t maximum);

/// Lights or greys the traction-control or ABS lamp for a level: 1 low, 2 high, 0 off; any
/// other level leaves the lamp as it is.
void showAidLevel(Lamp &lamp, std::int16_t level, const std::string &offCaption,
                  const std::string &lowCaption, const std::string &highCaption);

/// Marks each wheel turning below 90 % of `speed`, the average road speed; at 1.0 or less (or
/// not a number) no wheel is marked.
void showWheelLocks(Screen &screen, const telemetry::TelemetrySample &sample, double speed);

} // namespace ostrelo::dashboard
