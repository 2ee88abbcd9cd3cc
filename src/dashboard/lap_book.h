// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "runtime/app_state.h"
#include "telemetry/telemetry_sample.h"

#include <cstdint>
#include <optional>

namespace ostrelo::dashboard {

/// The lap and fuel bookkeeping of the program, kept once from the samples it takes and read
/// by every view of the dashboard (the window, each browser), whatever its language and units.
/// It also keeps the samples a view needs to show, from its first moment, what the window
/// shows.
class LapBook {
public:
    /// Takes the next sample, as read (metric units). The ignition is registered first, then
    /// the lap change; fuel is registered in the program's unit (see `setImperial`).
    void take(const telemetry::TelemetrySample &sample, runtime::FollowedCar mode);

    /// The program's unit system changed: the registered lap-start fuel follows into it, so
    /// the next fuel-used value does not mix litres and gallons.
    void setImperial(bool imperial);

    /// Forgets the lap and fuel registered, as at start-up: the samples that follow do not
    /// continue the ones before (a replay moved to another point).
    void forget();
    /// How many times the book forgot its laps: a view that saw fewer forgets what it shows
    /// of them.
    std::uint32_t forgotten() const { return m_forgotten; }

    /// Whether the last sample shows on the dashboard beyond the engine and pedals: not while
    /// the ignition of the local car is off.
    bool showsAll() const { return m_showsAll; }
    /// Whether the last sample changed the lap.
    bool lapChanged() const { return m_lapChanged; }
    /// The fuel used between the last two lap changes (or an ignition-on and the next lap
    /// change), in gallons when `imperial`, else litres; none before the first such lap.
    std::optional<float> fuelUsed(bool imperial) const;

    /// The lap number and lap-start fuel registered before the last sample, and now; fuel in
    /// the program's unit.
    float registeredLapBefore() const { return m_lapBefore; }
    float lapStartFuelBefore() const { return m_startFuelBefore; }
    float registeredLap() const { return m_registeredLap; }
    float lapStartFuel() const { return m_lapStartFuel; }

    /// The last sample taken, and the last one that showed in full, as read.
    const std::optional<telemetry::TelemetrySample> &lastSample() const { return m_last; }
    const std::optional<telemetry::TelemetrySample> &lastShownInFull() const {
        return m_lastInFull;
    }

private:
    float inProgramUnit(float litres) const;

    bool m_imperial = false;
    float m_registeredLap = 0;
    float m_lapStartFuel = 0;
    bool m_referencePending = false;
    // A lap and its fuel have been registered since start-up; before that there is no
    // consumption to show.
    bool m_registered = false;
    float m_lapBefore = 0;
    float m_startFuelBefore = 0;
    bool m_showsAll = false;
    bool m_lapChanged = false;
    std::optional<float> m_fuelUsed;
    bool m_fuelUsedImperial = false;
    std::optional<telemetry::TelemetrySample> m_last;
    std::optional<telemetry::TelemetrySample> m_lastInFull;
    std::uint32_t m_forgotten = 0;
};

} // namespace ostrelo::dashboard
