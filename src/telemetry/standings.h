// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ostrelo::telemetry {

/// One occupied car slot as the game keeps it, values as read: a position or lap count may be
/// out of range and a time 0, negative or not a number; the names are UTF-8 without NULs.
struct CarStanding {
    std::int16_t slot = 0;
    std::int32_t position = 0;
    std::int32_t lapsCompleted = 0;
    float lastLapTime = 0; // seconds
    float bestLapTime = 0; // seconds
    bool inPits = false;
    std::string driverName;
    std::string carName;
    bool operator==(const CarStanding &) const = default;
};

/// The field is read at most this often, in milliseconds: samples that come between two
/// readings carry the standings of the last one.
inline constexpr int kFieldEveryMs = 50;

/// Every occupied slot of the game's car array, in slot order.
struct Standings {
    std::vector<CarStanding> cars;
    bool operator==(const Standings &) const = default;
};

} // namespace ostrelo::telemetry
