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
    std::string toAdd;
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
    /// Why the lap history is not kept, when it is not.
    std::string problem;

    bool operator==(const EngineerReport &) const = default;
};

/// The report of `engineer` in the language of `texts` and in `units` (litres or gallons,
/// degrees Celsius or Fahrenheit), numbers with the decimal `separator`.
EngineerReport engineerReport(const RaceEngineer &engineer, const i18n::Texts &texts,
                              core::Units units, char separator);

} // namespace ostrelo::engineer
