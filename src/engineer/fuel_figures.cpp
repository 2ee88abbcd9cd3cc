// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/fuel_figures.h"

#include "dashboard/formats.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ostrelo::engineer {

FuelFigures fuelFigures(std::span<const LapRecord> laps, double fuelLitres, int lapsCompleted,
                        const RaceLength &length, double tankLitres, const FuelPlan &plan,
                        const EarlierConsumption &earlier) {
    FuelFigures figures;
    std::vector<const LapRecord *> counting;
    double time = 0;
    int timed = 0;
    for (auto lap = laps.rbegin(); lap != laps.rend() && timed < kFuelLaps; ++lap) {
        if (lap->counts && dashboard::isLapTime(lap->timeS)) {
            time += lap->timeS;
            ++timed;
        }
    }
    for (auto lap = laps.rbegin(); lap != laps.rend() && counting.size() < kFuelLaps; ++lap) {
        if (lap->counts) {
            counting.push_back(&*lap);
        }
    }
    figures.countingLaps = static_cast<int>(
        std::count_if(laps.begin(), laps.end(), [](const LapRecord &lap) { return lap.counts; }));
    if (counting.size() < static_cast<std::size_t>(kFuelLaps)) {
        if (earlier.mean <= 0) {
            return figures;
        }
        figures.fromEarlier = true;
        figures.perLapMean = earlier.mean;
        figures.perLapMost = std::max(earlier.mean, earlier.most);
    } else {
        double fuel = 0;
        for (const LapRecord *lap : counting) {
            fuel += lap->fuelUsedL;
            figures.perLapMost = std::max(figures.perLapMost, static_cast<double>(lap->fuelUsedL));
        }
        figures.perLapMean = fuel / kFuelLaps;
    }
    figures.enough = true;
    const double perLap = plan.highest ? figures.perLapMost : figures.perLapMean;
    if (perLap <= 0) {
        return figures;
    }
    const int reserve = std::clamp(plan.reserveLaps, 0, kMostReserveLaps);
    figures.lapsOfFuel = fuelLitres / perLap;
    int raceLaps = 0;
    if (length.kind == RaceLength::Kind::Laps) {
        raceLaps = static_cast<int>(std::ceil(length.amount));
    } else if (length.kind == RaceLength::Kind::Minutes && timed > 0) {
        // The laps whole before time runs out, and the one under way then.
        raceLaps = static_cast<int>(std::floor(length.amount * 60 / (time / timed))) + 1;
    } else {
        return figures;
    }
    const int toGo = std::max(0, raceLaps - lapsCompleted);
    figures.lapsToGo = toGo;
    const double needed = (toGo + reserve) * perLap;
    const double missing = std::max(0.0, needed - fuelLitres);
    if (missing <= 0 || tankLitres <= 0 || needed <= tankLitres) {
        figures.toAdd = missing;
        return figures;
    }
    // What a stop can add when the car comes in with the reserve left.
    const double room = tankLitres - reserve * perLap;
    if (room > 0) {
        figures.stops = static_cast<int>(std::ceil(missing / room));
        figures.perStop = missing / figures.stops;
    }
    return figures;
}

} // namespace ostrelo::engineer
