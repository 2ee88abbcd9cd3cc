// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/race_engineer.h"

#include "dashboard/formats.h"

#include <algorithm>

namespace ostrelo::engineer {

void RaceEngineer::beginSession(std::int64_t nowMs) {
    m_laps.clear();
    m_lastAgainstBest.reset();
    m_sessionStarted = true;
    m_session = m_history ? m_history->beginSession(m_track, m_car, nowMs) : 0;
    m_best = m_history ? m_history->personalBest(m_track, m_car) : 0;
}

void RaceEngineer::take(const LapRecord &lap, std::int64_t nowMs) {
    if (!m_sessionStarted) {
        beginSession(nowMs);
    }
    m_laps.push_back(lap);
    if (m_history) {
        m_history->addLap(m_session, lap);
    }
    keepTank();
    if (dashboard::isLapTime(lap.timeS)) {
        m_lastAgainstBest.reset();
        if (m_best > 0) {
            m_lastAgainstBest = lap.timeS - m_best;
        }
        // A pit lap is compared, but no record.
        if (!lap.pitted && (m_best <= 0 || lap.timeS < m_best)) {
            m_best = lap.timeS;
        }
    }
}

void RaceEngineer::watchTank(float fuelLitres) {
    TankCapacity &tank = m_tanks[m_car];
    if (m_refuel.take(fuelLitres)) {
        tank.learnedL = std::max(tank.learnedL, static_cast<double>(fuelLitres));
    }
}

void RaceEngineer::keepTank() {
    const TankCapacity &tank = m_tanks[m_car];
    if (m_history && m_tanksKept[m_car] != tank && m_history->keepTankCapacity(m_car, tank)) {
        m_tanksKept[m_car] = tank;
    }
}

void RaceEngineer::feed(const telemetry::TelemetrySample &sample, std::int64_t nowMs) {
    const std::optional<int> lapBefore = m_recorder.currentLap();
    const std::vector<LapRecord> finished = m_recorder.feed(sample);
    // The laps finished go to the session they were driven in.
    for (const LapRecord &lap : finished) {
        take(lap, nowMs);
    }
    const bool restarted = lapBefore && sample.LapNumber < *lapBefore;
    const bool otherCar = sample.CarName != m_car || !lapBefore;
    if (sample.TrackName != m_track || otherCar || restarted) {
        // What the tank took before counts for the car that was driven.
        keepTank();
        m_track = sample.TrackName;
        m_car = sample.CarName;
        m_sessionStarted = false;
        m_laps.clear();
        m_lastAgainstBest.reset();
        m_best = m_history ? m_history->personalBest(m_track, m_car) : 0;
        if (otherCar && !m_tanks.contains(m_car)) {
            m_tanks[m_car] = m_tanksKept[m_car] =
                m_history ? m_history->tankCapacity(m_car) : TankCapacity{};
        }
        // A restart fills the tank without a stop.
        m_refuel.restart(sample.Fuel);
    }
    watchTank(sample.Fuel);
    m_fuelNow = sample.Fuel;
    m_lapNow = sample.LapNumber;
}

void RaceEngineer::setTankCapacity(double litres) {
    m_tanks[m_car].givenL = std::max(0.0, litres);
    keepTank();
}

TankCapacity RaceEngineer::tank() const {
    const auto found = m_tanks.find(m_car);
    return found == m_tanks.end() ? TankCapacity{} : found->second;
}

double RaceEngineer::tankCapacity() const {
    const TankCapacity known = tank();
    return known.givenL > 0 ? known.givenL : known.learnedL;
}

FuelFigures RaceEngineer::fuel() const {
    // The lap under way is not completed yet.
    return fuelFigures(m_laps, m_fuelNow, m_lapNow - 1, m_length, tankCapacity());
}

} // namespace ostrelo::engineer
