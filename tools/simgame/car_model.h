// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "game_state.h"

#include <random>

namespace ostrelo::simgame {

/// A believable race: one car driven round a fixed track among a named field, with gears,
/// pedals, warming and drifting temperatures, tyre wear, fuel burn, lap times, a pit visit
/// every few laps (limiter on, ignition off while refuelling) and now and then a locking
/// wheel under braking.
class CarModel {
public:
    /// The local driver's slot; not 0, so the slot search has work to do.
    static constexpr int kLocalSlot = 3;

    explicit CarModel(unsigned seed = 7);

    /// Advances the race by `seconds` of game time.
    void advance(double seconds);

    const GameState &state() const { return m_state; }

private:
    double targetSpeed(double distance) const; // m/s at a point of the lap
    void drive(double dt);
    void pitStop(double dt);
    void updateEngine();
    void updateWheels(double dt);
    void updateTemperatures(double dt);
    void completeLap();

    GameState m_state;
    std::mt19937 m_random;
    double m_distance = 0; // metres into the lap
    double m_speed = 0;    // m/s
    double m_lapTime = 0;
    double m_raceTime = 0;
    double m_lockTime = 0;
    int m_lockedWheel = -1;
    double m_pitTime = -1; // seconds into the stop, or -1 when not stopping
};

} // namespace ostrelo::simgame
