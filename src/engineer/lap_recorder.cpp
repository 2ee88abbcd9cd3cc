// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/lap_recorder.h"

#include "dashboard/formats.h"

#include <algorithm>

namespace ostrelo::engineer {
namespace {

// More than the fuel readings of a running car ever rise.
constexpr float kRefuelLitres = 0.1F;

// The lap time the game gave, or 0 for none.
float lapTime(float seconds) {
    return dashboard::isLapTime(seconds) ? seconds : 0;
}

float treadMean(const std::array<float, 3> &zones) {
    return (zones[0] + zones[1] + zones[2]) / 3;
}

} // namespace

bool RefuelWatch::take(float fuelLitres) {
    m_seen = m_seen || fuelLitres > m_lowest + kRefuelLitres;
    m_lowest = std::min(m_lowest, fuelLitres);
    return m_seen;
}

std::optional<int> LapRecorder::currentLap() const {
    return m_lap ? std::optional<int>(m_lap->number) : std::nullopt;
}

void LapRecorder::start(const telemetry::TelemetrySample &s, bool counts) {
    m_lap = LapUnderWay{};
    m_lap->number = s.LapNumber;
    m_lap->startFuel = s.Fuel;
    m_lap->refuel.restart(s.Fuel);
    m_lap->lastLapTimeAtStart = s.LastLapTime;
    m_lap->counts = counts;
    take(s);
}

void LapRecorder::take(const telemetry::TelemetrySample &s) {
    LapUnderWay &lap = *m_lap;
    lap.pitted = lap.pitted || s.InPits != 0 || s.Ignition != 1;
    lap.limiter = lap.limiter || s.PitLimiter == 1;
    lap.refuel.take(s.Fuel);
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        lap.treadSum[wheel] += treadMean(s.TyreTemp[wheel]);
    }
    ++lap.samples;
}

LapRecord LapRecorder::finish(const telemetry::TelemetrySample &s) const {
    const LapUnderWay &lap = *m_lap;
    LapRecord record;
    record.number = lap.number;
    record.fuelUsedL = lap.startFuel - s.Fuel;
    record.position = s.Position;
    record.pitted = lap.pitted;
    record.limiter = lap.limiter;
    RefuelWatch atTheLine = lap.refuel;
    record.refuelled = atTheLine.take(s.Fuel);
    // Only the next lap in order is a whole lap; a jump means laps went unseen.
    record.counts =
        lap.counts && !record.pitted && !record.refuelled && s.LapNumber == lap.number + 1;
    for (std::size_t wheel = 0; wheel < 4; ++wheel) {
        record.treadC[wheel] = static_cast<float>(lap.treadSum[wheel] / lap.samples);
        record.pressureKpa[wheel] = static_cast<float>(s.TyrePressure[wheel]);
        record.wear[wheel] = static_cast<float>(s.TyreWear[wheel]);
        record.brakeC[wheel] = static_cast<float>(s.BrakeTemp[wheel]);
    }
    return record;
}

std::vector<LapRecord> LapRecorder::feed(const telemetry::TelemetrySample &s) {
    std::vector<LapRecord> finished;
    if (m_waiting) {
        if (s.LastLapTime != m_waitingOldTime) {
            m_waiting->timeS = lapTime(s.LastLapTime);
            finished.push_back(*m_waiting);
            m_waiting.reset();
            // That time belongs to the lap before the one under way.
            if (m_lap) {
                m_lap->lastLapTimeAtStart = s.LastLapTime;
            }
        } else if (++m_waitingSamples >= kLateTimeSamples) {
            // No new time: the lap took exactly as long as the one before it.
            m_waiting->timeS = lapTime(s.LastLapTime);
            finished.push_back(*m_waiting);
            m_waiting.reset();
        }
    }
    if (!m_lap) {
        // Started mid-lap: the first lap is not whole.
        start(s, false);
        return finished;
    }
    if (s.LapNumber < m_lap->number || s.LapNumber > m_lap->number + 1) {
        // A restart, or laps passed unseen (a replay moved on): the lap under way is not a
        // lap, and the next one starts from wherever the car is.
        if (m_waiting) {
            finished.push_back(*m_waiting);
            m_waiting.reset();
        }
        start(s, false);
        return finished;
    }
    if (s.LapNumber == m_lap->number) {
        take(s);
        return finished;
    }
    if (m_waiting) {
        finished.push_back(*m_waiting);
        m_waiting.reset();
    }
    LapRecord record = finish(s);
    if (s.LastLapTime != m_lap->lastLapTimeAtStart) {
        record.timeS = lapTime(s.LastLapTime);
        finished.push_back(record);
    } else {
        m_waiting = record;
        m_waitingOldTime = m_lap->lastLapTimeAtStart;
        m_waitingSamples = 0;
    }
    // The lap after a pit visit starts from the pits: it is no full racing lap.
    start(s, !record.pitted);
    return finished;
}

} // namespace ostrelo::engineer
