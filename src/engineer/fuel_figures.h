// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engineer/lap_record.h"

#include <optional>
#include <span>
#include <string>

namespace ostrelo::engineer {

/// How long the race is, as the user gives it.
struct RaceLength {
    enum class Kind { Unknown, Laps, Minutes };
    Kind kind = Kind::Unknown;
    double amount = 0;
};

/// How many counting laps the fuel figures take.
inline constexpr int kFuelLaps = 3;

/// How the driver wants the fuel counted: the laps of fuel kept in reserve (0 to 3), and
/// whether a lap's fuel is the mean of the recent laps or the highest of them.
struct FuelPlan {
    int reserveLaps = 1;
    bool highest = false;
    bool operator==(const FuelPlan &) const = default;
};
inline constexpr int kMostReserveLaps = 3;

/// What the car used a lap on this track in earlier sessions (the mean and the highest of
/// their last counting laps), in litres; 0 when not known.
struct EarlierConsumption {
    double mean = 0;
    double most = 0;
    bool operator==(const EarlierConsumption &) const = default;
};

/// What the engineer says about fuel, in litres. Nothing but `countingLaps` holds until there
/// are `kFuelLaps` counting laps.
struct FuelFigures {
    int countingLaps = 0;
    bool enough = false;
    /// The figures come from earlier sessions: this one has fewer than `kFuelLaps` counting
    /// laps yet.
    bool fromEarlier = false;
    /// Fuel per lap: the mean and the highest of the last three counting laps.
    double perLapMean = 0;
    double perLapMost = 0;
    /// Laps the fuel in the tank lasts at the rate the plan takes.
    double lapsOfFuel = 0;
    /// With a race length: laps still to drive, the one under way included.
    std::optional<int> lapsToGo;
    /// With a race length, when the tank can hold what the race still needs: the fuel to add
    /// at the next stop to finish with the plan's reserve (0 when the tank suffices). It fits
    /// the tank now.
    std::optional<double> toAdd;
    /// With a race length, when one tank cannot finish: the stops still to make and the fuel
    /// each adds, every stop made with the reserve left.
    int stops = 0;
    double perStop = 0;
};

/// The fuel figures from the laps of the session (oldest first), the fuel in the tank, the
/// laps completed so far, the race length and the tank's capacity (0: not known, when no
/// advice is held to it), counted as `plan` says; until the session has `kFuelLaps`
/// counting laps, from the `earlier` sessions' consumption when it is known. A race given in
/// minutes counts its laps at the mean time of the recent timed laps and ends with the lap
/// under way when time runs out.
FuelFigures fuelFigures(std::span<const LapRecord> laps, double fuelLitres, int lapsCompleted,
                        const RaceLength &length, double tankLitres, const FuelPlan &plan = {},
                        const EarlierConsumption &earlier = {});

} // namespace ostrelo::engineer
