// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/warnings.h"

#include "dashboard/colours.h"

#include <cmath>

namespace ostrelo::dashboard {

Colour thresholdColour(float value, std::int16_t minimum, std::int16_t maximum) {
    if (std::isnan(value)) {
        return ColourLow;
    }
    const auto low = static_cast<float>(minimum);
    const auto high = static_cast<float>(maximum);
    // Three tests in this order; a later one that holds wins.
    Colour colour = ColourLow;
    if (value < low) {
        colour = ColourLow;
    }
    if (!(value < high)) {
        colour = ColourHigh;
    }
    if (!(value < low) && value < high) {
        colour = ColourOk;
    }
    return colour;
}

void showAidLevel(Lamp &lamp, std::int16_t level, const std::string &offCaption,
                  const std::string &lowCaption, const std::string &highCaption) {
    switch (level) {
    case 0:
        lamp.lit = false;
        lamp.caption = offCaption;
        break;
    case 1:
        lamp.lit = true;
        lamp.caption = lowCaption;
        break;
    case 2:
        lamp.lit = true;
        lamp.caption = highCaption;
        break;
    default:
        break;
    }
}

void showWheelLocks(Screen &screen, const telemetry::TelemetrySample &sample, double speed) {
    if (!(speed > 1.0)) {
        screen.wheelLocked = {};
        return;
    }
    const double limit = speed - speed * 10 / 100;
    for (int wheel = telemetry::FL; wheel <= telemetry::RR; ++wheel) {
        const auto w = static_cast<std::size_t>(wheel);
        screen.wheelLocked[w] = limit > sample.WheelSpeed[w];
    }
}

} // namespace ostrelo::dashboard
