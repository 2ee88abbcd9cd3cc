// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstddef>
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

/// How many columns a recorded lap has in the history and the export.
inline constexpr std::size_t kLapColumnCount = 24;

/// Calls `visit(name, field)` for each column of a recorded lap, in the one order the lap
/// history and the CSV export keep them; `field` is an int, float or bool of `lap` (const when
/// `lap` is). The name is the column's in the history and the export.
template <typename Lap, typename Visit> void forEachLapColumn(Lap &lap, Visit &&visit) {
    visit("number", lap.number);
    visit("time_s", lap.timeS);
    visit("fuel_used_l", lap.fuelUsedL);
    visit("position", lap.position);
    visit("pitted", lap.pitted);
    visit("limiter", lap.limiter);
    visit("refuelled", lap.refuelled);
    visit("counts", lap.counts);
    const auto wheels = [&visit](const char *const(&names)[4], auto &values) {
        for (std::size_t wheel = 0; wheel < 4; ++wheel) {
            visit(names[wheel], values[wheel]);
        }
    };
    wheels({"tread_fl", "tread_fr", "tread_rl", "tread_rr"}, lap.treadC);
    wheels({"pressure_fl", "pressure_fr", "pressure_rl", "pressure_rr"}, lap.pressureKpa);
    wheels({"wear_fl", "wear_fr", "wear_rl", "wear_rr"}, lap.wear);
    wheels({"brake_fl", "brake_fr", "brake_rl", "brake_rr"}, lap.brakeC);
}

/// `laps` as CSV text: a header of the column names, then a line per lap, numbers with a
/// point, flags as 0 or 1.
std::string lapsCsv(std::span<const LapRecord> laps);

} // namespace ostrelo::engineer
