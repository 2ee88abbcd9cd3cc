// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/race_engineer.h"

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
    if (lap.timeS > 0) {
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

void RaceEngineer::feed(const telemetry::TelemetrySample &sample, std::int64_t nowMs) {
    const std::optional<int> lapBefore = m_recorder.currentLap();
    const std::vector<LapRecord> finished = m_recorder.feed(sample);
    // The laps finished go to the session they were driven in.
    for (const LapRecord &lap : finished) {
        take(lap, nowMs);
    }
    const bool restarted = lapBefore && sample.LapNumber < *lapBefore;
    if (sample.TrackName != m_track || sample.CarName != m_car || restarted) {
        m_track = sample.TrackName;
        m_car = sample.CarName;
        m_sessionStarted = false;
        m_laps.clear();
        m_lastAgainstBest.reset();
        m_best = m_history ? m_history->personalBest(m_track, m_car) : 0;
    }
    m_fuelNow = sample.Fuel;
    m_lapNow = sample.LapNumber;
}

FuelFigures RaceEngineer::fuel() const {
    // The lap under way is not completed yet.
    return fuelFigures(m_laps, m_fuelNow, m_lapNow - 1, m_length);
}

} // namespace ostrelo::engineer
