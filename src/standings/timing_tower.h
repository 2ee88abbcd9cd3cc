// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "telemetry/standings.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ostrelo::standings {

/// How far a car is behind the car ahead of it, timed at the line.
struct Gap {
    enum class Kind { Unknown, Seconds, Laps };
    Kind kind = Kind::Unknown;
    double seconds = 0;
    std::int64_t laps = 0;
    /// How finely `seconds` was measured: the longer of the two spans, from the reading before
    /// to the reading that showed each car across the line.
    std::int64_t resolutionMs = 0;
    bool operator==(const Gap &) const = default;
};

/// One line of the tower.
struct TowerRow {
    int place = 0; // 1 for the leader
    telemetry::CarStanding car;
    bool followed = false;    // the car the dashboard shows
    bool overallBest = false; // holds the fastest lap of the field
    Gap gap;                  // to the car ahead; unknown for the leader
};

/// The field as a timing tower. Cars are ordered by the game's positions; a position out of
/// range goes after the valid ones, and cars that share a position are ordered by laps and
/// then best lap. The gap to the car ahead is the time between the two crossing the line on
/// the same lap, or the laps between them when the car ahead had crossed more laps by then
/// (or has completed two laps more since); it is unknown until both crossings have been
/// seen. Crossings are timed to the reading that shows them: a car crossed between that reading
/// and the one before, which are never taken as closer than `telemetry::kFieldEveryMs`.
class TimingTower {
public:
    /// Takes the standings read at `timeMs` (milliseconds on a clock that only goes forward
    /// while a session lasts; a step back starts the timing again).
    void update(const telemetry::Standings &standings, std::int64_t timeMs);

    /// The tower, with the car in `followedSlot` marked.
    std::vector<TowerRow> rows(std::int16_t followedSlot) const;

private:
    struct Crossing {
        std::int32_t lap; // laps completed from this time on
        std::int64_t timeMs;
        bool seen;             // seen at the line, rather than the first time the car was seen
        std::int64_t windowMs; // since the reading before
    };
    struct CarTiming {
        std::string driverName;
        std::vector<Crossing> crossings; // oldest first
        std::int64_t lastReadMs = 0;
    };

    Gap gapBetween(const telemetry::CarStanding &ahead, const telemetry::CarStanding &car) const;
    Gap timedGap(const telemetry::CarStanding &ahead, const telemetry::CarStanding &car) const;

    telemetry::Standings m_standings;
    std::map<std::int16_t, CarTiming> m_timing;
    std::int64_t m_lastTimeMs = 0;
};

} // namespace ostrelo::standings
