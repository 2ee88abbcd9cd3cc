// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "engineer/race_engineer.h"
#include "i18n/texts.h"

#include <array>
#include <string>
#include <vector>

namespace ostrelo::engineer {

/// Everything the race engineer's window shows, in one language and unit system.
struct EngineerReport {
    std::string fuelPerLap;
    std::string lapsOfFuel;
    /// The fuel to add at the next stop, that the tank suffices, or the stops still to make.
    std::string toAdd;
    /// The same figures without their words, for a glance: the laps of fuel, and the fuel to
    /// add (the fuel of each stop when there are several; "0" when the tank suffices).
    std::string lapsOfFuelValue;
    std::string toAddValue;
    /// The tank's capacity as it counts, when it is known.
    std::string tank;
    std::string personalBest;
    std::string againstBest;
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;
    // The plots: per lap its number, time (0: none), fuel used and mean tread temperatures.
    std::vector<double> lapNumbers;
    std::vector<double> lapTimes;
    std::vector<double> fuelUsed;
    std::array<std::vector<double>, 4> tread;
    double best = 0;
    /// The capacity the user gave for this car, in `units`; 0 for none.
    double tankGiven = 0;
    core::Units units = core::Units::Metric;
    /// Why the lap history is not kept, when it is not.
    std::string problem;

    bool operator==(const EngineerReport &) const = default;
};

/// The report of `engineer` in the language of `texts` and in `units` (litres or gallons,
/// degrees Celsius or Fahrenheit), numbers and times with the decimal `separator`.
EngineerReport engineerReport(const RaceEngineer &engineer, const i18n::Texts &texts,
                              core::Units units, char separator);

/// A fuel amount given in `units` (litres or US gallons), in litres.
double litresFrom(double amount, core::Units units);

} // namespace ostrelo::engineer
