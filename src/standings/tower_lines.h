// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "i18n/texts.h"
#include "standings/timing_tower.h"

#include <string>
#include <vector>

namespace ostrelo::standings {

/// One row of the tower as text, in the columns the window and the page show.
struct TowerLine {
    std::string place;
    std::string driver;
    std::string car;
    std::string laps;
    std::string best;
    std::string last;
    std::string gap;
    std::string pits;
    bool followed = false;
    bool overallBest = false;
    bool operator==(const TowerLine &) const = default;
};

/// The gap as the tower shows it: seconds to the decimals its resolution holds ("+12.3" to
/// 100 ms, "+12" beyond, "+12.35" to 10 ms, "+12.346" to the millisecond), "1 lap" or "3
/// laps" in the language of `texts`, or nothing when it is unknown.
std::string gapText(const Gap &gap, const i18n::Texts &texts, char separator);

/// The rows as text: times as the dashboard writes them with `separator` for the decimals,
/// nothing for a time or lap count the game has not set, the pit mark in the language of
/// `texts`.
std::vector<TowerLine> towerLines(const std::vector<TowerRow> &rows, const i18n::Texts &texts,
                                  char separator);

} // namespace ostrelo::standings
