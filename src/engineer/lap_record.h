// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace ostrelo::engineer {

/// One finished lap, in the game's units (seconds, litres, degrees Celsius, kPa). Wheels are
/// FL, FR, RL, RR.
struct LapRecord {
    /// The lap's number as the game counted it while it was driven.
    int number = 0;
    /// Its time as the game gave it; 0 when the game gave none.
    float timeS = 0;
    /// Fuel at its start minus fuel at its end.
    float fuelUsedL = 0;
    /// The position at its end.
    int position = 0;
    /// In the pits, or with the ignition off, at any time during it.
    bool pitted = false;
    /// The pit limiter on at any time during it.
    bool limiter = false;
    /// The fuel went up during it.
    bool refuelled = false;
    /// A full racing lap that counts for fuel figures: not the first after start-up, a restart
    /// or the pits, no pit visit, no refuel.
    bool counts = false;
    /// The tread temperature of each wheel (the mean of its three zones) averaged over the lap.
    std::array<float, 4> treadC{};
    /// Pressures, wear (1 new) and brake temperatures at its end.
    std::array<float, 4> pressureKpa{};
    std::array<float, 4> wear{};
    std::array<float, 4> brakeC{};

    bool operator==(const LapRecord &) const = default;
};

/// `laps` as CSV text: a header of column names, then a line per lap, numbers with a point.
std::string lapsCsv(std::span<const LapRecord> laps);

} // namespace ostrelo::engineer
