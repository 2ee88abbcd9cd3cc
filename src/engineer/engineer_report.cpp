// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/engineer_report.h"

#include "dashboard/formats.h"
#include "dashboard/units.h"

namespace ostrelo::engineer {
namespace {

std::vector<std::string> split(const std::string &text) {
    std::vector<std::string> parts(1);
    for (const char c : text) {
        if (c == ',') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    return parts;
}

// `text` with "%1" and "%2" replaced.
std::string filled(std::string text, const std::string &first, const std::string &second = {}) {
    for (const auto &[mark, value] : {std::pair{"%1", &first}, std::pair{"%2", &second}}) {
        if (const auto at = text.find(mark); at != std::string::npos) {
            text.replace(at, 2, *value);
        }
    }
    return text;
}

} // namespace

double litresFrom(double amount, core::Units units) {
    return units == core::Units::Imperial ? amount / dashboard::toGallons(1) : amount;
}

EngineerReport engineerReport(const RaceEngineer &engineer, const i18n::Texts &t, core::Units units,
                              char separator) {
    const bool imperial = units == core::Units::Imperial;
    const auto inUnits = [&](double litres) {
        return imperial ? dashboard::toGallons(litres) : litres;
    };
    const auto fuel = [&](double litres) {
        return dashboard::patternText(inUnits(litres), "0.00", separator) +
               (imperial ? " G" : " L");
    };
    const auto temperature = [&](double celsius) {
        return imperial ? dashboard::toFahrenheit(celsius) : celsius;
    };
    EngineerReport report;
    const FuelFigures figures = engineer.fuel();
    if (!figures.enough) {
        report.fuelPerLap = filled(t.TextNeedLaps, std::to_string(figures.countingLaps));
    } else {
        report.fuelPerLap = t.TextFuelPerLap + ": " + fuel(figures.perLapMean) + " (" +
                            t.TextFuelMost + " " + fuel(figures.perLapMost) + ")" +
                            (figures.fromEarlier ? ", " + t.TextFromEarlier : "");
        report.lapsOfFuelValue = dashboard::patternText(figures.lapsOfFuel, "0.0", separator);
        report.lapsOfFuel = t.TextLapsOfFuel + ": " + report.lapsOfFuelValue;
        if (figures.toAdd) {
            report.toAddValue = *figures.toAdd > 0 ? fuel(*figures.toAdd) : "0";
            report.toAdd = *figures.toAdd > 0 ? t.TextFuelToAdd + ": " + fuel(*figures.toAdd)
                                              : t.TextFuelEnough;
        } else if (figures.stops > 0) {
            report.toAddValue = std::to_string(figures.stops) + " \u00D7 " + fuel(figures.perStop);
            report.toAdd =
                filled(t.TextFuelStops, std::to_string(figures.stops), fuel(figures.perStop));
        }
    }
    if (engineer.tankCapacity() > 0) {
        report.tank = t.TextTankCapacity + ": " + fuel(engineer.tankCapacity());
    }
    report.tankGiven = inUnits(engineer.tank().givenL);
    report.units = units;
    if (engineer.personalBest() > 0) {
        report.personalBest =
            t.TextPersonalBest + ": " +
            dashboard::lapTimeText(static_cast<float>(engineer.personalBest()), separator);
        report.best = engineer.personalBest();
    }
    if (const auto delta = engineer.lastAgainstBest()) {
        report.againstBest =
            t.TextAgainstBest + ": " + dashboard::signedSecondsText(*delta, 3, separator);
    }
    report.columns = split(t.TextLapColumns);
    for (const LapRecord &lap : engineer.laps()) {
        // A lap with fuel put in used no fuel that the tank can tell.
        report.rows.push_back(
            {std::to_string(lap.number), dashboard::lapTimeText(lap.timeS, separator),
             lap.refuelled ? "-" : fuel(lap.fuelUsedL), std::to_string(lap.position),
             lap.pitted ? "P" : "", lap.counts ? "✓" : ""});
        report.lapNumbers.push_back(lap.number);
        report.lapTimes.push_back(lap.timeS);
        report.fuelUsed.push_back(lap.refuelled ? 0 : inUnits(lap.fuelUsedL));
        for (std::size_t wheel = 0; wheel < 4; ++wheel) {
            report.tread[wheel].push_back(temperature(lap.treadC[wheel]));
        }
    }
    return report;
}

} // namespace ostrelo::engineer
