// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engineer/fuel_figures.h"
#include "engineer/lap_recorder.h"

#include <cstdint>
#include <map>
#include <optional>
#include <set>
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

/// Where finished laps are kept from one session to the next. Nothing here waits for the
/// history: what is handed over is kept now or later, in the order it was handed over, and
/// what is asked is answered later, to the listener, on the thread that asked.
class LapHistory {
public:
    /// Takes the history's answers.
    class Listener {
    public:
        virtual ~Listener() = default;
        /// The best lap time on `track` with `car` in every session kept and every lap handed
        /// over before the question, pit laps left out; 0 when there is none.
        virtual void personalBestFound(const std::string &track, const std::string &car,
                                       double bestS) = 0;
        /// What is kept of `car`'s tank, with what was handed over before the question;
        /// nothing known when nothing is.
        virtual void tankCapacityFound(const std::string &car, const TankCapacity &tank) = 0;
        /// What `car` used a lap on `track`: the last `kFuelLaps` counting laps of every
        /// session kept and every lap handed over before the question; 0 when none.
        virtual void consumptionFound(const std::string &track, const std::string &car,
                                      const EarlierConsumption &used) = 0;
    };

    virtual ~LapHistory() = default;
    /// Sends every answer from now on to `listener`; none sends them nowhere.
    virtual void setListener(Listener *listener) = 0;
    /// Starts a session at `startedMs` (milliseconds since 1970); its number, never 0.
    virtual std::int64_t beginSession(const std::string &track, const std::string &car,
                                      std::int64_t startedMs) = 0;
    /// Hands a lap of `session` over to be kept.
    virtual void addLap(std::int64_t session, const LapRecord &lap) = 0;
    /// Asks for the best lap time on `track` with `car`.
    virtual void askPersonalBest(const std::string &track, const std::string &car) = 0;
    /// Asks what is kept of `car`'s tank.
    virtual void askTankCapacity(const std::string &car) = 0;
    /// Asks what `car` used a lap on `track` in the sessions kept.
    virtual void askConsumption(const std::string &track, const std::string &car) = 0;
    /// Hands `tank` over to be kept for `car`, over what was kept.
    virtual void keepTankCapacity(const std::string &car, const TankCapacity &tank) = 0;
};

/// The race engineer: the laps of this session from the samples, what they say about fuel,
/// and how the last lap compares with the best ever driven here with this car. A new
/// session starts with a new track or car, or a restart. Each car's tank capacity is the one
/// the user gives, or else the most fuel seen after a refuel; the history keeps both. What
/// the history answers late is merged with what this run saw meanwhile.
class RaceEngineer : private LapHistory::Listener {
public:
    /// `history` keeps the laps and answers to this engineer from now on; none keeps them in
    /// memory only.
    explicit RaceEngineer(LapHistory *history);
    ~RaceEngineer() override;
    RaceEngineer(const RaceEngineer &) = delete;
    RaceEngineer &operator=(const RaceEngineer &) = delete;

    /// Takes one sample as read from the game, at `nowMs` (milliseconds since 1970).
    void feed(const telemetry::TelemetrySample &sample, std::int64_t nowMs);

    void setRaceLength(const RaceLength &length) { m_length = length; }
    const RaceLength &raceLength() const { return m_length; }
    void setFuelPlan(const FuelPlan &plan) { m_plan = plan; }
    const FuelPlan &fuelPlan() const { return m_plan; }
    /// What this car used a lap here in earlier sessions, as the history told it.
    const EarlierConsumption &earlierConsumption() const { return m_earlier; }

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
    void personalBestFound(const std::string &track, const std::string &car, double bestS) override;
    void tankCapacityFound(const std::string &car, const TankCapacity &tank) override;
    void consumptionFound(const std::string &track, const std::string &car,
                          const EarlierConsumption &used) override;
    void beginSession(std::int64_t nowMs);
    void take(const LapRecord &lap, std::int64_t nowMs);
    void watchTank(float fuelLitres);
    void keepTank(const std::string &car);

    LapHistory *m_history;
    LapRecorder m_recorder;
    RaceLength m_length;
    FuelPlan m_plan;
    EarlierConsumption m_earlier;
    std::vector<LapRecord> m_laps;
    std::string m_track;
    std::string m_car;
    std::int64_t m_session = 0;
    bool m_sessionStarted = false;
    float m_fuelNow = 0;
    int m_lapNow = 0;
    double m_best = 0;
    // The last timed lap of this session and the best before it, for the comparison.
    double m_lastS = 0;
    double m_bestBeforeLastS = 0;
    std::optional<double> m_lastAgainstBest;
    // Every car's tank seen in this run, as known now and as last kept; the cars whose kept
    // tank the history has not told yet, and those whose capacity the user gave in this run.
    std::map<std::string, TankCapacity> m_tanks;
    std::map<std::string, TankCapacity> m_tanksKept;
    std::set<std::string> m_tanksAsked;
    std::set<std::string> m_tanksGiven;
    RefuelWatch m_refuel;
};

} // namespace ostrelo::engineer
