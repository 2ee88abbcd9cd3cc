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

/// What the engineer says about fuel, in litres. Nothing but `countingLaps` holds until there
/// are `kFuelLaps` counting laps.
struct FuelFigures {
    int countingLaps = 0;
    bool enough = false;
    /// Fuel per lap: the mean and the highest of the last three counting laps.
    double perLapMean = 0;
    double perLapMost = 0;
    /// Laps the fuel in the tank lasts at the mean rate.
    double lapsOfFuel = 0;
    /// With a race length: laps still to drive, the one under way included.
    std::optional<int> lapsToGo;
    /// With a race length, when the tank can hold what the race still needs: the fuel to add
    /// at the next stop to finish with one lap in reserve (0 when the tank suffices). It fits
    /// the tank now.
    std::optional<double> toAdd;
    /// With a race length, when one tank cannot finish: the stops still to make and the fuel
    /// each adds, every stop made with a lap of fuel left.
    int stops = 0;
    double perStop = 0;
};

/// The fuel figures from the laps of the session (oldest first), the fuel in the tank, the
/// laps completed so far, the race length and the tank's capacity (0: not known, when no
/// advice is held to it). A race given in minutes counts its laps at the mean time of the
/// counting laps and ends with the lap under way when time runs out.
FuelFigures fuelFigures(std::span<const LapRecord> laps, double fuelLitres, int lapsCompleted,
                        const RaceLength &length, double tankLitres);

} // namespace ostrelo::engineer
