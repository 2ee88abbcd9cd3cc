// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/debug_lines.h"
#include "dashboard/display_state.h"
#include "dashboard/screen.h"
#include "runtime/app_state.h"
#include "telemetry/telemetry_sample.h"

#include <cstdint>
#include <functional>

namespace ostrelo::dashboard {

/// Turns one sample into the screen, writing every element in a fixed order: units first, then
/// engine, pedals, ignition, lap and fuel, temperatures, pressures, speed, wear, track, lamps,
/// weather, and last the colours, markers and bars.
class DisplayPhase {
public:
    /// `tickCountMs` is the platform's millisecond counter, used for the debug timing.
    DisplayPhase(runtime::AppState &state, Screen &screen, DisplayState &display,
                 std::function<std::int32_t()> tickCountMs);

    /// The debug lines, written while debugging is on.
    const DebugLines &debugLines() const { return m_debug; }

    /// Shows `sample`, converting it to the display units in place. Throws
    /// core::RunTimeError at a step that fails; the elements written before it keep the new
    /// values and the later ones their old ones.
    void show(telemetry::TelemetrySample &sample);

    /// Forgets the lap and fuel registered, as at start-up: the samples that follow do not
    /// continue the ones before (a replay moved to another point), so the next lap change
    /// shows no fuel used.
    void forgetLap();

private:
    void showEngineAndPedals(const telemetry::TelemetrySample &s);
    bool registerIgnition(const telemetry::TelemetrySample &s);
    void showLapAndFuel(const telemetry::TelemetrySample &s);
    void showTyresAndBrakes(const telemetry::TelemetrySample &s);
    void showLamps(const telemetry::TelemetrySample &s);
    void showWeather(const telemetry::TelemetrySample &s);
    void showGraphics(const telemetry::TelemetrySample &s);
    void showDebugValues(const telemetry::TelemetrySample &s);
    void showDebugElapsed();

    runtime::AppState &m_state;
    Screen &m_screen;
    DisplayState &m_display;
    std::function<std::int32_t()> m_tickCountMs;
    DebugLines m_debug;

    // Working values of the current sample shared between its steps.
    double m_rpm = 0;
    double m_rpmMaximum = 0;
    float m_throttle = 0;
    float m_brake = 0;
    double m_speed = 0;
};

} // namespace ostrelo::dashboard
