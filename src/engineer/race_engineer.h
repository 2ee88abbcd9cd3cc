// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engineer/fuel_figures.h"
#include "engineer/lap_recorder.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ostrelo::engineer {

/// What is known of a car's fuel tank, in litres; 0 for not known.
struct TankCapacity {
    /// The most fuel seen after a refuel.
    double learnedL = 0;
    /// What the user gave.
    double givenL = 0;
    bool operator==(const TankCapacity &) const = default;
};

/// Where finished laps are kept from one session to the next.
class LapHistory {
public:
    virtual ~LapHistory() = default;
    /// Starts a session; its number, or 0 when it cannot be kept.
    virtual std::int64_t beginSession(const std::string &track, const std::string &car,
                                      std::int64_t startedMs) = 0;
    /// Keeps a lap of `session` at once.
    virtual bool addLap(std::int64_t session, const LapRecord &lap) = 0;
    /// The best lap time on `track` with `car` in every session kept, 0 when none.
    virtual double personalBest(const std::string &track, const std::string &car) const = 0;
    /// What is kept of `car`'s tank; nothing known when nothing is.
    virtual TankCapacity tankCapacity(const std::string &car) const = 0;
    /// Keeps `tank` for `car` at once.
    virtual bool keepTankCapacity(const std::string &car, const TankCapacity &tank) = 0;
};

/// The race engineer: the laps of this session from the samples, what they say about fuel,
/// and how the last lap compares with the best ever driven here with this car. A new
/// session starts with a new track or car, or a restart. Each car's tank capacity is the one
/// the user gives, or else the most fuel seen after a refuel; the history keeps both.
class RaceEngineer {
public:
    /// `history` keeps the laps; none keeps them in memory only.
    explicit RaceEngineer(LapHistory *history) : m_history(history) {}

    /// Takes one sample as read from the game, at `nowMs` (milliseconds since 1970).
    void feed(const telemetry::TelemetrySample &sample, std::int64_t nowMs);

    void setRaceLength(const RaceLength &length) { m_length = length; }
    const RaceLength &raceLength() const { return m_length; }

    const std::vector<LapRecord> &laps() const { return m_laps; }
    const std::string &track() const { return m_track; }
    const std::string &car() const { return m_car; }
    std::int64_t session() const { return m_session; }

    /// The fuel figures with the fuel in the tank now, in litres, held to the tank's capacity.
    FuelFigures fuel() const;
    /// The user's capacity of the tank of the car now driven, in litres; 0 learns it again.
    void setTankCapacity(double litres);
    /// What is known of the tank of the car now driven.
    TankCapacity tank() const;
    /// That tank's capacity as it counts: the user's, else the learned one; 0 when not known.
    double tankCapacity() const;
    /// The best lap time ever here with this car, this session's laps included; 0 for none.
    double personalBest() const { return m_best; }
    /// The last lap's time against the best before it, when both are known.
    std::optional<double> lastAgainstBest() const { return m_lastAgainstBest; }

private:
    void beginSession(std::int64_t nowMs);
    void take(const LapRecord &lap, std::int64_t nowMs);
    void watchTank(float fuelLitres);
    void keepTank();

    LapHistory *m_history;
    LapRecorder m_recorder;
    RaceLength m_length;
    std::vector<LapRecord> m_laps;
    std::string m_track;
    std::string m_car;
    std::int64_t m_session = 0;
    bool m_sessionStarted = false;
    float m_fuelNow = 0;
    int m_lapNow = 0;
    double m_best = 0;
    std::optional<double> m_lastAgainstBest;
    // Every car's tank seen in this run, as known now and as last kept.
    std::map<std::string, TankCapacity> m_tanks;
    std::map<std::string, TankCapacity> m_tanksKept;
    RefuelWatch m_refuel;
};

} // namespace ostrelo::engineer
