// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_state.h"

#include <array>
#include <optional>
#include <random>

namespace ostrelo::simgame {

/// A believable race: one car driven round a fixed track among a named field, with gears,
/// pedals, warming and drifting temperatures, tyre wear, fuel burn, lap times, a pit visit
/// every few laps (limiter on, ignition off while refuelling) and now and then a locking
/// wheel under braking. The rest of the field races too: each car at its own pace, varying
/// from lap to lap, with its own pit stops; positions follow the distance run, and the
/// slowest car is lapped.
class CarModel {
public:
    /// The local driver's slot; not 0, so the slot search has work to do.
    static constexpr int kLocalSlot = 3;

    /// What the local car's tank holds.
    static constexpr double kTankLitres = 60;

    /// The local car starts full and stops every few laps. Given a `stint` in litres, it
    /// starts with that, stops when the fuel at the line would not do three more laps like
    /// the last, and takes on the stint again.
    explicit CarModel(unsigned seed = 7, std::optional<double> stint = std::nullopt);

    /// Advances the race by `seconds` of game time.
    void advance(double seconds);

    const GameState &state() const { return m_state; }

    /// Number of occupied slots, 0 to kFieldSize - 1.
    static constexpr int kFieldSize = 12;

private:
    /// A car of the field other than the local one.
    struct Rival {
        double pace = 1;     // lap time against the track's pace
        double lapPace = 1;  // this lap's, varying around `pace`
        double distance = 0; // metres into the lap; negative behind the line at the start
        double lapTime = 0;  // seconds into the lap
        double speed = 0;    // m/s
        int lapsBetweenStops = 0;
        double stopLeft = 0; // seconds standing in the box
    };

    double targetSpeed(double distance) const; // m/s at a point of the lap
    void drive(double dt);
    void pitStop(double dt);
    void updateEngine();
    void updateWheels(double dt);
    void updateTemperatures(double dt);
    void completeLap();
    void driveRival(int slot, double dt);
    void placeField();

    GameState m_state;
    std::mt19937 m_random;
    double m_distance = 0; // metres into the lap
    double m_speed = 0;    // m/s
    double m_lapTime = 0;
    double m_raceTime = 0;
    double m_lockTime = 0;
    int m_lockedWheel = -1;
    double m_pitTime = -1; // seconds into the stop, or -1 when not stopping
    std::optional<double> m_stint;
    float m_fuelAtLine = 0;
    bool m_stopThisLap = false;
    std::array<Rival, kFieldSize> m_rivals{};
};

} // namespace ostrelo::simgame
