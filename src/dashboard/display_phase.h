// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/debug_lines.h"
#include "dashboard/display_state.h"
#include "dashboard/lap_book.h"
#include "dashboard/screen.h"
#include "telemetry/telemetry_sample.h"

#include <cstdint>
#include <functional>

namespace ostrelo::dashboard {

/// Turns one sample into the screen of one view, writing every element in a fixed order: units
/// first, then engine, pedals, ignition, lap and fuel, temperatures, pressures, speed, wear,
/// track, lamps, weather, and last the colours, markers and bars. Every view (the window, each
/// browser's language and units) runs its own display phase on the same samples, with the
/// program's lap book.
class DisplayPhase {
public:
    /// `tickCountMs` is the platform's millisecond counter, used for the debug timing.
    DisplayPhase(Screen &screen, DisplayState &display,
                 std::function<std::int32_t()> tickCountMs = {});

    /// The debug lines, written while debugging is on.
    const DebugLines &debugLines() const { return m_debug; }

    /// Shows `sample`, which `book` has just taken, converting it to the view's units in
    /// place. Throws core::RunTimeError at a step that fails; the elements written before it
    /// keep the new values and the later ones their old ones.
    void show(telemetry::TelemetrySample &sample, const ViewOptions &view,
              const FollowedSlot &followed, const LapBook &book);

    /// Brings a view that starts now to what the window shows: the last sample shown in full,
    /// then the last sample, with the fuel used on the last lap.
    void catchUp(const ViewOptions &view, const FollowedSlot &followed, const LapBook &book);

    /// The lap book forgot its laps: the fuel used is shown no more. A phase learns of it by
    /// itself with the next sample; this is for a view that must clear it at once.
    void forgetLap();

private:
    void followBook();
    void showSample(telemetry::TelemetrySample &s, bool inFull);
    void showEngineAndPedals(const telemetry::TelemetrySample &s);
    void showLapAndFuel(const telemetry::TelemetrySample &s);
    void showTyresAndBrakes(const telemetry::TelemetrySample &s);
    void showLamps(const telemetry::TelemetrySample &s);
    void showWeather(const telemetry::TelemetrySample &s);
    void showGraphics(const telemetry::TelemetrySample &s);
    void showDebugValues(const telemetry::TelemetrySample &s);
    void showDebugElapsed();

    Screen &m_screen;
    DisplayState &m_display;
    std::function<std::int32_t()> m_tickCountMs;
    DebugLines m_debug;
    // The view's fuel used is written at each lap change, and once when it starts.
    bool m_fuelUsedShown = false;
    std::uint32_t m_bookForgotten = 0;

    // What the sample under way is shown with, and working values shared between its steps.
    const ViewOptions *m_view = nullptr;
    const FollowedSlot *m_followed = nullptr;
    const LapBook *m_book = nullptr;
    double m_rpm = 0;
    double m_rpmMaximum = 0;
    float m_throttle = 0;
    float m_brake = 0;
    double m_speed = 0;
};

} // namespace ostrelo::dashboard
