// SPDX-License-Identifier: GPL-3.0-or-later
#include "standings/tower_lines.h"

#include "dashboard/formats.h"

namespace ostrelo::standings {
namespace {

std::string timeText(float seconds, char separator) {
    return dashboard::isLapTime(seconds) ? dashboard::lapTimeText(seconds, separator)
                                         : std::string();
}

// The decimals that a gap measured to `resolutionMs` holds.
int decimalsFor(std::int64_t resolutionMs) {
    int decimals = 3;
    for (std::int64_t step = 1; decimals > 0 && resolutionMs > step; step *= 10) {
        --decimals;
    }
    return decimals;
}

} // namespace

std::string gapText(const Gap &gap, const i18n::Texts &texts, char separator) {
    switch (gap.kind) {
    case Gap::Kind::Seconds:
        return dashboard::signedSecondsText(gap.seconds, decimalsFor(gap.resolutionMs), separator);
    case Gap::Kind::Laps: {
        if (gap.laps == 1) {
            return texts.TextOneLapBehind;
        }
        std::string text = texts.TextLapsBehind;
        if (const auto at = text.find("%1"); at != std::string::npos) {
            text.replace(at, 2, std::to_string(gap.laps));
        }
        return text;
    }
    case Gap::Kind::Unknown:
        break;
    }
    return {};
}

std::vector<TowerLine> towerLines(const std::vector<TowerRow> &rows, const i18n::Texts &texts,
                                  char separator) {
    std::vector<TowerLine> lines;
    lines.reserve(rows.size());
    for (const TowerRow &row : rows) {
        TowerLine &line = lines.emplace_back();
        line.place = std::to_string(row.place);
        line.driver = row.car.driverName;
        line.car = row.car.carName;
        line.laps = row.car.lapsCompleted >= 0 ? std::to_string(row.car.lapsCompleted) : "";
        line.best = timeText(row.car.bestLapTime, separator);
        line.last = timeText(row.car.lastLapTime, separator);
        line.gap = gapText(row.gap, texts, separator);
        line.pits = row.car.inPits ? texts.TextPits : "";
        line.followed = row.followed;
        line.overallBest = row.overallBest;
    }
    return lines;
}

} // namespace ostrelo::standings
