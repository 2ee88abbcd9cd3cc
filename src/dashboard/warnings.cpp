// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/warnings.h"

#include "dashboard/colours.h"

#include <cmath>

namespace ostrelo::dashboard {

core::Colour thresholdColour(float value, std::int16_t minimum, std::int16_t maximum) {
    if (std::isnan(value)) {
        return ColourLow;
    }
    const auto low = static_cast<float>(minimum);
    const auto high = static_cast<float>(maximum);
    // Three tests in this order; a later one that holds wins.
    core::Colour colour = ColourLow;
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

void showAidLevel(core::DashboardView &view, int lamp, std::int16_t level,
                  const std::string &offCaption, const std::string &lowCaption,
                  const std::string &highCaption) {
    switch (level) {
    case 0:
        view.setLampLit(lamp, false);
        view.setLampCaption(lamp, offCaption);
        break;
    case 1:
        view.setLampLit(lamp, true);
        view.setLampCaption(lamp, lowCaption);
        break;
    case 2:
        view.setLampLit(lamp, true);
        view.setLampCaption(lamp, highCaption);
        break;
    default:
        break;
    }
}

void showWheelLocks(core::DashboardView &view, const telemetry::TelemetrySample &sample,
                    double speed) {
    if (!(speed > 1.0)) {
        for (int marker = 1; marker <= 4; ++marker) {
            view.setMarkerVisible(marker, false);
        }
        return;
    }
    const double limit = speed - speed * 10 / 100;
    for (int wheel = telemetry::FL; wheel <= telemetry::RR; ++wheel) {
        view.setMarkerVisible(wheel + 1,
                              limit > sample.WheelSpeed[static_cast<std::size_t>(wheel)]);
    }
}

} // namespace ostrelo::dashboard
