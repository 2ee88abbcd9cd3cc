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

} // namespace

EngineerReport engineerReport(const RaceEngineer &engineer, const i18n::Texts &t, core::Units units,
                              char separator) {
    const bool imperial = units == core::Units::Imperial;
    const auto fuel = [&](double litres) {
        return dashboard::patternText(imperial ? dashboard::toGallons(litres) : litres, "0.00",
                                      separator) +
               (imperial ? " G" : " L");
    };
    const auto temperature = [&](double celsius) {
        return imperial ? dashboard::toFahrenheit(celsius) : celsius;
    };
    EngineerReport report;
    const FuelFigures figures = engineer.fuel();
    if (!figures.enough) {
        std::string need = t.TextNeedLaps;
        if (const auto at = need.find("%1"); at != std::string::npos) {
            need.replace(at, 2, std::to_string(figures.countingLaps));
        }
        report.fuelPerLap = need;
    } else {
        report.fuelPerLap = t.TextFuelPerLap + ": " + fuel(figures.perLapMean) + " (" +
                            t.TextFuelMost + " " + fuel(figures.perLapMost) + ")";
        report.lapsOfFuel =
            t.TextLapsOfFuel + ": " + dashboard::patternText(figures.lapsOfFuel, "0.0", separator);
        if (figures.toAdd) {
            report.toAdd = *figures.toAdd > 0 ? t.TextFuelToAdd + ": " + fuel(*figures.toAdd)
                                              : t.TextFuelEnough;
        }
    }
    if (engineer.personalBest() > 0) {
        report.personalBest = t.TextPersonalBest + ": " + lapTimeText(engineer.personalBest());
        report.best = engineer.personalBest();
    }
    if (const auto delta = engineer.lastAgainstBest()) {
        report.againstBest = t.TextAgainstBest + ": " + deltaText(*delta);
    }
    report.columns = split(t.TextLapColumns);
    for (const LapRecord &lap : engineer.laps()) {
        // A lap with fuel put in used no fuel that the tank can tell.
        report.rows.push_back({std::to_string(lap.number), lapTimeText(lap.timeS),
                               lap.refuelled ? "-" : fuel(lap.fuelUsedL),
                               std::to_string(lap.position), lap.pitted ? "P" : "",
                               lap.counts ? "✓" : ""});
        report.lapNumbers.push_back(lap.number);
        report.lapTimes.push_back(lap.timeS);
        report.fuelUsed.push_back(lap.refuelled ? 0
                                  : imperial    ? dashboard::toGallons(lap.fuelUsedL)
                                                : lap.fuelUsedL);
        for (std::size_t wheel = 0; wheel < 4; ++wheel) {
            report.tread[wheel].push_back(temperature(lap.treadC[wheel]));
        }
    }
    return report;
}

} // namespace ostrelo::engineer
