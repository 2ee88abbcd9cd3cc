// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/main_view.h"
#include "core/texts.h"
#include "telemetry/telemetry_sample.h"

namespace ostrelo::dashboard {

/// The background of a value label: `ColourLow` below `minimum`, `ColourHigh` from `maximum`
/// up, `ColourOk` in between; a value that is not a number is `ColourLow`. With an inverted
/// pair, values from `maximum` up to `minimum` are `ColourHigh`.
core::Colour thresholdColour(float value, std::int16_t minimum, std::int16_t maximum);

/// Lights or greys lamp 4 (traction control) or 5 (ABS) for a level: 1 low, 2 high, 0 off;
/// any other level leaves the lamp as it is.
void showAidLevel(core::DashboardView &view, int lamp, std::int16_t level,
                  const std::string &offCaption, const std::string &lowCaption,
                  const std::string &highCaption);

/// Shows the marker of each wheel turning below 90 % of `speed`, the average road speed;
/// at 1.0 or less (or not a number) every marker is hidden.
void showWheelLocks(core::DashboardView &view, const telemetry::TelemetrySample &sample,
                    double speed);

} // namespace ostrelo::dashboard
