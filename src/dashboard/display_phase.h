// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/app_state.h"
#include "core/main_view.h"
#include "dashboard/debug_view.h"
#include "dashboard/display_state.h"
#include "telemetry/telemetry_sample.h"

#include <cstdint>
#include <functional>

namespace ostrelo::dashboard {

/// Turns one sample into everything the main window shows, writing every element in a fixed
/// order: units first, then engine, pedals, ignition, lap and fuel, temperatures, pressures,
/// speed, wear, track, lamps, weather, and last the colours, markers and bars.
class DisplayPhase {
public:
    /// `tickCountMs` is the platform's millisecond counter, used for the debug timing.
    DisplayPhase(core::AppState &state, core::DashboardView &view, DisplayState &display,
                 std::function<std::int32_t()> tickCountMs);

    /// Receives the debug lines while debugging is on; none by default.
    void setDebugView(DebugView *debug) { m_debug = debug; }

    /// Shows `sample`, converting it to the display units in place. Throws
    /// core::RunTimeError at a step that fails; the elements written before it keep the new
    /// values and the later ones their old ones.
    void show(telemetry::TelemetrySample &sample);

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

    core::AppState &m_state;
    core::DashboardView &m_view;
    DisplayState &m_display;
    std::function<std::int32_t()> m_tickCountMs;
    DebugView *m_debug = nullptr;

    // Working values of the current sample shared between its steps.
    double m_rpm = 0;
    double m_rpmMaximum = 0;
    float m_throttle = 0;
    float m_brake = 0;
    double m_speed = 0;
};

} // namespace ostrelo::dashboard
