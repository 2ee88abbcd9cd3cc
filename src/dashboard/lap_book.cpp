// SPDX-License-Identifier: GPL-3.0-or-later
#include "dashboard/lap_book.h"

#include "dashboard/units.h"
#include "telemetry/telemetry_fields.h"

namespace ostrelo::dashboard {
namespace {

constexpr double kGallonsPerLitre = 0.264172052358;

float converted(float fuel, bool toImperial) {
    return telemetry::toSingle(toImperial ? toGallons(fuel) : fuel / kGallonsPerLitre);
}

} // namespace

float LapBook::inProgramUnit(float litres) const {
    // The same conversion as the sample's, so the window's figures stay as they were.
    return m_imperial ? telemetry::toSingle(toGallons(litres)) : litres;
}

void LapBook::take(const telemetry::TelemetrySample &s, runtime::FollowedCar mode) {
    m_last = s;
    m_lapBefore = m_registeredLap;
    m_startFuelBefore = m_lapStartFuel;
    m_lapChanged = false;
    const float fuel = inProgramUnit(s.Fuel);
    if (s.Ignition != 1) {
        m_referencePending = true;
        // Following the local car, nothing more is shown while its ignition is off.
        m_showsAll = mode != runtime::FollowedCar::Local;
    } else {
        m_showsAll = true;
        if (m_referencePending) {
            m_registeredLap = s.LapNumber;
            m_lapStartFuel = fuel;
            m_referencePending = false;
            m_registered = true;
        }
    }
    if (!m_showsAll) {
        return;
    }
    m_lastInFull = s;
    if (static_cast<float>(s.LapNumber) != m_registeredLap) {
        // The first registration after start-up has no lap behind it.
        if (m_registered) {
            m_fuelUsed = m_lapStartFuel - fuel;
            m_fuelUsedImperial = m_imperial;
            m_lapChanged = true;
        }
        m_lapStartFuel = fuel;
        m_registeredLap = s.LapNumber;
        m_registered = true;
    }
}

void LapBook::setImperial(bool imperial) {
    if (imperial != m_imperial) {
        m_lapStartFuel = converted(m_lapStartFuel, imperial);
        m_imperial = imperial;
    }
}

void LapBook::forget() {
    m_registered = false;
    m_referencePending = false;
    m_registeredLap = 0;
    m_fuelUsed.reset();
    m_lapChanged = false;
    ++m_forgotten;
}

std::optional<float> LapBook::fuelUsed(bool imperial) const {
    if (!m_fuelUsed || imperial == m_fuelUsedImperial) {
        return m_fuelUsed;
    }
    return converted(*m_fuelUsed, imperial);
}

} // namespace ostrelo::dashboard
