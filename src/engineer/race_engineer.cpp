// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/race_engineer.h"

#include "dashboard/formats.h"

#include <algorithm>

namespace ostrelo::engineer {

namespace {

// The better of two best lap times, 0 standing for none.
double better(double best, double other) {
    return other > 0 && (best <= 0 || other < best) ? other : best;
}

} // namespace

RaceEngineer::RaceEngineer(LapHistory *history) : m_history(history) {
    if (m_history) {
        m_history->setListener(this);
    }
}

RaceEngineer::~RaceEngineer() {
    if (m_history) {
        m_history->setListener(nullptr);
    }
}

void RaceEngineer::beginSession(std::int64_t nowMs) {
    m_laps.clear();
    m_lastAgainstBest.reset();
    m_lastS = 0;
    m_sessionStarted = true;
    m_session = m_history ? m_history->beginSession(m_track, m_car, nowMs) : 0;
}

void RaceEngineer::take(const LapRecord &lap, std::int64_t nowMs) {
    if (!m_sessionStarted) {
        beginSession(nowMs);
    }
    m_laps.push_back(lap);
    if (m_history) {
        m_history->addLap(m_session, lap);
    }
    keepTank(m_car);
    if (dashboard::isLapTime(lap.timeS)) {
        m_lastS = lap.timeS;
        m_bestBeforeLastS = m_best;
        m_lastAgainstBest.reset();
        if (m_best > 0) {
            m_lastAgainstBest = lap.timeS - m_best;
        }
        // A pit lap is compared, but no record.
        if (!lap.pitted) {
            m_best = better(m_best, lap.timeS);
        }
    }
}

void RaceEngineer::personalBestFound(const std::string &track, const std::string &car,
                                     double bestS) {
    // An answer for a place left since; the laps it knows were all driven before the last.
    if (track != m_track || car != m_car || bestS <= 0) {
        return;
    }
    m_best = better(m_best, bestS);
    if (m_lastS > 0) {
        m_bestBeforeLastS = better(m_bestBeforeLastS, bestS);
        m_lastAgainstBest = m_lastS - m_bestBeforeLastS;
    }
}

void RaceEngineer::tankCapacityFound(const std::string &car, const TankCapacity &kept) {
    if (m_tanksAsked.erase(car) == 0) {
        return;
    }
    // What this run learned or the user gave meanwhile counts over what was kept.
    TankCapacity &tank = m_tanks[car];
    tank.learnedL = std::max(tank.learnedL, kept.learnedL);
    if (!m_tanksGiven.contains(car)) {
        tank.givenL = kept.givenL;
    }
    m_tanksKept[car] = kept;
    keepTank(car);
}

void RaceEngineer::watchTank(float fuelLitres) {
    TankCapacity &tank = m_tanks[m_car];
    if (m_refuel.take(fuelLitres)) {
        tank.learnedL = std::max(tank.learnedL, static_cast<double>(fuelLitres));
    }
}

void RaceEngineer::keepTank(const std::string &car) {
    // Until the history has told what it keeps, a tank written would go over it.
    if (!m_history || m_tanksAsked.contains(car)) {
        return;
    }
    const TankCapacity &tank = m_tanks[car];
    if (m_tanksKept[car] != tank) {
        m_history->keepTankCapacity(car, tank);
        m_tanksKept[car] = tank;
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
    const bool otherPlace = sample.TrackName != m_track || otherCar;
    if (otherPlace || restarted) {
        // What the tank took before counts for the car that was driven.
        keepTank(m_car);
        m_track = sample.TrackName;
        m_car = sample.CarName;
        m_sessionStarted = false;
        m_laps.clear();
        m_lastAgainstBest.reset();
        m_lastS = 0;
        // What the car used here, the laps just driven included, until this session has its
        // own figures.
        m_earlier = {};
        if (m_history) {
            m_history->askConsumption(m_track, m_car);
        }
        // A restart keeps the best: its laps were driven here with this car.
        if (otherPlace) {
            m_best = 0;
            if (m_history) {
                m_history->askPersonalBest(m_track, m_car);
            }
        }
        if (otherCar && !m_tanks.contains(m_car)) {
            m_tanks[m_car] = m_tanksKept[m_car] = TankCapacity{};
            if (m_history) {
                m_tanksAsked.insert(m_car);
                m_history->askTankCapacity(m_car);
            }
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
    m_tanksGiven.insert(m_car);
    keepTank(m_car);
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
    return fuelFigures(m_laps, m_fuelNow, m_lapNow - 1, m_length, tankCapacity(), m_plan,
                       m_earlier);
}

void RaceEngineer::consumptionFound(const std::string &track, const std::string &car,
                                    const EarlierConsumption &used) {
    if (track == m_track && car == m_car) {
        m_earlier = used;
    }
}

} // namespace ostrelo::engineer
