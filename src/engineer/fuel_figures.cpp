// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/fuel_figures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace ostrelo::engineer {

FuelFigures fuelFigures(std::span<const LapRecord> laps, double fuelLitres, int lapsCompleted,
                        const RaceLength &length) {
    FuelFigures figures;
    std::vector<const LapRecord *> counting;
    for (auto lap = laps.rbegin(); lap != laps.rend() && counting.size() < kFuelLaps; ++lap) {
        if (lap->counts) {
            counting.push_back(&*lap);
        }
    }
    figures.countingLaps = static_cast<int>(
        std::count_if(laps.begin(), laps.end(), [](const LapRecord &lap) { return lap.counts; }));
    if (counting.size() < static_cast<std::size_t>(kFuelLaps)) {
        return figures;
    }
    figures.enough = true;
    double fuel = 0;
    double time = 0;
    int timed = 0;
    for (const LapRecord *lap : counting) {
        fuel += lap->fuelUsedL;
        figures.perLapMost = std::max(figures.perLapMost, static_cast<double>(lap->fuelUsedL));
        if (lap->timeS > 0) {
            time += lap->timeS;
            ++timed;
        }
    }
    figures.perLapMean = fuel / kFuelLaps;
    if (figures.perLapMean <= 0) {
        return figures;
    }
    figures.lapsOfFuel = fuelLitres / figures.perLapMean;
    int raceLaps = 0;
    if (length.kind == RaceLength::Kind::Laps) {
        raceLaps = static_cast<int>(std::ceil(length.amount));
    } else if (length.kind == RaceLength::Kind::Minutes && timed > 0) {
        raceLaps = static_cast<int>(std::ceil(length.amount * 60 / (time / timed)));
    } else {
        return figures;
    }
    const int toGo = std::max(0, raceLaps - lapsCompleted);
    figures.lapsToGo = toGo;
    figures.toAdd = std::max(0.0, (toGo + 1) * figures.perLapMean - fuelLitres);
    return figures;
}

std::string lapsCsv(std::span<const LapRecord> laps) {
    std::string csv = "number,time_s,fuel_used_l,position,pitted,limiter,refuelled,counts,"
                      "tread_fl,tread_fr,tread_rl,tread_rr,pressure_fl,pressure_fr,pressure_rl,"
                      "pressure_rr,wear_fl,wear_fr,wear_rl,wear_rr,brake_fl,brake_fr,brake_rl,"
                      "brake_rr\r\n";
    for (const LapRecord &lap : laps) {
        std::string line = std::to_string(lap.number);
        const auto add = [&line](double value) {
            char text[32];
            std::snprintf(text, sizeof text, "%.7g", value);
            line += ',';
            line += text;
        };
        add(lap.timeS);
        add(lap.fuelUsedL);
        add(lap.position);
        for (const bool flag : {lap.pitted, lap.limiter, lap.refuelled, lap.counts}) {
            add(flag ? 1 : 0);
        }
        for (const auto *values : {&lap.treadC, &lap.pressureKpa, &lap.wear, &lap.brakeC}) {
            for (const float value : *values) {
                add(value);
            }
        }
        csv += line + "\r\n";
    }
    return csv;
}

std::string deltaText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%+.3f", seconds);
    return text;
}

std::string lapTimeText(double seconds) {
    if (!(seconds > 0) || seconds >= 86400) {
        return "-";
    }
    const auto thousandths = static_cast<long long>(std::llround(seconds * 1000));
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld.%03lld", thousandths / 60000,
                  thousandths / 1000 % 60, thousandths % 1000);
    return text;
}

} // namespace ostrelo::engineer
