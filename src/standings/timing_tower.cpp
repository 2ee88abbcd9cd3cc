// SPDX-License-Identifier: GPL-3.0-or-later
#include "standings/timing_tower.h"

#include "dashboard/formats.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace ostrelo::standings {
namespace {

// Enough crossings to time a car lapped several times over.
constexpr std::size_t kCrossingsKept = 8;
constexpr std::int32_t kLastPosition = 64;
// Longer than any scan: readings further apart do not follow on (a replay moved, the game
// paused), and the line is timed afresh.
constexpr std::int64_t kLongestStepMs = 5000;

// `later - earlier` in milliseconds, as far as 64 bits hold it: the times come from a clock
// or a file, and may be anything.
std::int64_t spanMs(std::int64_t later, std::int64_t earlier) {
    std::int64_t span = 0;
    if (__builtin_sub_overflow(later, earlier, &span)) {
        return later > earlier ? std::numeric_limits<std::int64_t>::max()
                               : std::numeric_limits<std::int64_t>::min();
    }
    return span;
}

bool validPosition(std::int32_t position) {
    return position >= 1 && position <= kLastPosition;
}

float sortableLap(float seconds) {
    return dashboard::isLapTime(seconds) ? seconds : std::numeric_limits<float>::infinity();
}

bool runsAhead(const telemetry::CarStanding &a, const telemetry::CarStanding &b) {
    const bool aValid = validPosition(a.position);
    const bool bValid = validPosition(b.position);
    if (aValid != bValid) {
        return aValid;
    }
    if (aValid && a.position != b.position) {
        return a.position < b.position;
    }
    if (a.lapsCompleted != b.lapsCompleted) {
        return a.lapsCompleted > b.lapsCompleted;
    }
    if (sortableLap(a.bestLapTime) != sortableLap(b.bestLapTime)) {
        return sortableLap(a.bestLapTime) < sortableLap(b.bestLapTime);
    }
    return a.slot < b.slot;
}

} // namespace

void TimingTower::update(const telemetry::Standings &standings, std::int64_t timeMs) {
    if (timeMs < m_lastTimeMs || spanMs(timeMs, m_lastTimeMs) > kLongestStepMs) {
        m_timing.clear();
    }
    m_lastTimeMs = timeMs;
    std::map<std::int16_t, CarTiming> timing;
    for (const telemetry::CarStanding &car : standings.cars) {
        CarTiming &now = timing[car.slot];
        const auto before = m_timing.find(car.slot);
        // A slot that another driver took, or laps that went back (a restart), start again.
        if (before != m_timing.end() && before->second.driverName == car.driverName &&
            !before->second.crossings.empty() &&
            car.lapsCompleted >= before->second.crossings.back().lap) {
            now = std::move(before->second);
        }
        now.driverName = car.driverName;
        if (now.crossings.empty()) {
            now.crossings.push_back({car.lapsCompleted, timeMs, false, 0});
        } else if (car.lapsCompleted > now.crossings.back().lap) {
            // A car that crossed more than once since the last reading was not seen crossing.
            const bool seen = car.lapsCompleted == now.crossings.back().lap + 1;
            // Readings that come closer than the field is read repeat the last one.
            const std::int64_t window =
                std::max<std::int64_t>(spanMs(timeMs, now.lastReadMs), telemetry::kFieldEveryMs);
            now.crossings.push_back({car.lapsCompleted, timeMs, seen, window});
            if (now.crossings.size() > kCrossingsKept) {
                now.crossings.erase(now.crossings.begin());
            }
        }
        now.lastReadMs = timeMs;
    }
    m_timing = std::move(timing);
    m_standings = standings;
}

Gap TimingTower::gapBetween(const telemetry::CarStanding &ahead,
                            const telemetry::CarStanding &car) const {
    // Two laps more completed now is more than a lap ahead on the road, whatever the line
    // said when the car last crossed it.
    const std::int64_t lapsMore =
        static_cast<std::int64_t>(ahead.lapsCompleted) - car.lapsCompleted;
    const Gap timed = timedGap(ahead, car);
    if (lapsMore >= 2 && (timed.kind != Gap::Kind::Laps || timed.laps < lapsMore - 1)) {
        return {Gap::Kind::Laps, 0, lapsMore - 1, 0};
    }
    return timed;
}

Gap TimingTower::timedGap(const telemetry::CarStanding &ahead,
                          const telemetry::CarStanding &car) const {
    const auto carTiming = m_timing.find(car.slot);
    const auto aheadTiming = m_timing.find(ahead.slot);
    if (carTiming == m_timing.end() || aheadTiming == m_timing.end()) {
        return {};
    }
    // When the car last crossed the line, and how many laps the car ahead had by then.
    const Crossing &crossed = carTiming->second.crossings.back();
    if (!crossed.seen) {
        return {};
    }
    const std::vector<Crossing> &aheadCrossings = aheadTiming->second.crossings;
    const auto after =
        std::upper_bound(aheadCrossings.begin(), aheadCrossings.end(), crossed.timeMs,
                         [](std::int64_t time, const Crossing &c) { return time < c.timeMs; });
    if (after == aheadCrossings.begin()) {
        return {};
    }
    const Crossing &aheadThen = *std::prev(after);
    // Lap counts anywhere in 32 bits, as the game holds them: their difference takes 64.
    const std::int64_t lapsAhead = static_cast<std::int64_t>(aheadThen.lap) - crossed.lap;
    if (lapsAhead >= 1) {
        return {Gap::Kind::Laps, 0, lapsAhead, 0};
    }
    if (lapsAhead == 0 && aheadThen.seen) {
        return {Gap::Kind::Seconds,
                static_cast<double>(spanMs(crossed.timeMs, aheadThen.timeMs)) / 1000, 0,
                std::max(crossed.windowMs, aheadThen.windowMs)};
    }
    return {};
}

std::vector<TowerRow> TimingTower::rows(std::int16_t followedSlot) const {
    std::vector<TowerRow> rows;
    rows.reserve(m_standings.cars.size());
    float best = std::numeric_limits<float>::infinity();
    for (const telemetry::CarStanding &car : m_standings.cars) {
        rows.push_back({0, car, car.slot == followedSlot, false, {}});
        best = std::min(best, sortableLap(car.bestLapTime));
    }
    std::sort(rows.begin(), rows.end(),
              [](const TowerRow &a, const TowerRow &b) { return runsAhead(a.car, b.car); });
    for (std::size_t i = 0; i < rows.size(); ++i) {
        TowerRow &row = rows[i];
        row.place = static_cast<int>(i) + 1;
        row.overallBest = dashboard::isLapTime(row.car.bestLapTime) && row.car.bestLapTime == best;
        if (i > 0) {
            row.gap = gapBetween(rows[i - 1].car, row.car);
        }
    }
    return rows;
}

} // namespace ostrelo::standings
