// SPDX-License-Identifier: GPL-3.0-or-later
#include "i18n/language_table.h"
#include "standings/timing_tower.h"
#include "standings/tower_lines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ostrelo::standings {
namespace {

using telemetry::CarStanding;
using telemetry::Standings;
using Kind = Gap::Kind;

CarStanding car(std::int16_t slot, std::int32_t position, std::int32_t laps, float best = 0,
                std::string name = {}) {
    CarStanding c;
    c.slot = slot;
    c.position = position;
    c.lapsCompleted = laps;
    c.bestLapTime = best;
    c.driverName = name.empty() ? "Driver " + std::to_string(slot) : std::move(name);
    return c;
}

std::vector<std::int16_t> slotsInOrder(const std::vector<TowerRow> &rows) {
    std::vector<std::int16_t> slots;
    for (const TowerRow &row : rows) {
        slots.push_back(row.car.slot);
    }
    return slots;
}

TEST(TimingTower, OrdersTheFieldWhateverThePositionsSay) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char *what;
        std::vector<CarStanding> cars;
        std::vector<std::int16_t> order;
    } cases[] = {
        {"by position", {car(0, 3, 5), car(1, 1, 5), car(2, 2, 5)}, {1, 2, 0}},
        {"a position out of range goes last",
         {car(0, 0, 9), car(1, 65, 9), car(2, -4, 9), car(3, 2, 1), car(4, 64, 0)},
         {3, 4, 0, 1, 2}},
        {"shared positions by laps, then best lap, then slot",
         {car(0, 2, 4, 90), car(1, 2, 5, 95), car(2, 2, 4, 89), car(3, 2, 4, 89), car(4, 1, 0)},
         {4, 1, 2, 3, 0}},
        {"a best lap not set sorts after one set",
         {car(0, 5, 3, 0), car(1, 5, 3, nan), car(2, 5, 3, 100)},
         {2, 0, 1}},
        {"no cars", {}, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        TimingTower tower;
        tower.update({c.cars}, 1000);
        const std::vector<TowerRow> rows = tower.rows(-1);
        EXPECT_EQ(slotsInOrder(rows), c.order);
        for (std::size_t i = 0; i < rows.size(); ++i) {
            EXPECT_EQ(rows[i].place, static_cast<int>(i) + 1);
        }
    }
}

TEST(TimingTower, MarksTheFollowedCarAndTheFastestLap) {
    TimingTower tower;
    tower.update({{car(0, 1, 3, 91.5F), car(1, 2, 3, 90.25F), car(2, 3, 3, 90.25F),
                   car(3, 4, 3, -1), car(4, 5, 3, std::numeric_limits<float>::infinity())}},
                 0);
    const std::vector<TowerRow> rows = tower.rows(2);
    const bool followed[] = {false, false, true, false, false};
    const bool best[] = {false, true, true, false, false};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[i].followed, followed[i]);
        EXPECT_EQ(rows[i].overallBest, best[i]);
    }
}

// A race of two cars, A ahead of B, seen sample by sample: (time, A's laps, B's laps).
struct Moment {
    std::int64_t timeMs;
    std::int32_t aheadLaps;
    std::int32_t behindLaps;
};

constexpr std::int64_t kEarliestMs = std::numeric_limits<std::int64_t>::min();
constexpr std::int64_t kLatestMs = std::numeric_limits<std::int64_t>::max();

Gap gapAfter(const std::vector<Moment> &moments) {
    TimingTower tower;
    for (const Moment &m : moments) {
        tower.update({{car(0, 1, m.aheadLaps), car(1, 2, m.behindLaps)}}, m.timeMs);
    }
    const std::vector<TowerRow> rows = tower.rows(-1);
    EXPECT_EQ(rows.front().gap, Gap{}) << "the leader has no gap";
    return rows.back().gap;
}

TEST(TimingTower, TimesTheGapAtTheLine) {
    const struct {
        const char *what;
        std::vector<Moment> moments;
        Gap gap;
    } cases[] = {
        // Each crossing is timed to within the span since the reading before it.
        {"both crossings seen",
         {{0, 2, 2}, {1000, 3, 2}, {3500, 3, 3}},
         {Kind::Seconds, 2.5, 0, 2500}},
        {"the car ahead crossed again since",
         {{0, 2, 2}, {1000, 3, 2}, {3500, 3, 3}, {7000, 4, 3}},
         {Kind::Seconds, 2.5, 0, 2500}},
        {"the car ahead had a lap more when it crossed",
         {{0, 3, 2}, {1000, 4, 2}, {4000, 4, 3}},
         {Kind::Laps, 0, 1, 0}},
        {"two laps more", {{0, 5, 2}, {1000, 5, 3}}, {Kind::Laps, 0, 2, 0}},
        {"nobody has crossed yet", {{0, 2, 2}, {1000, 2, 2}}, {}},
        {"only the car ahead crossed", {{0, 2, 2}, {1000, 3, 2}}, {}},
        {"the car behind crossed, the one ahead was never seen crossing that lap",
         {{0, 3, 2}, {1000, 3, 3}},
         {}},
        {"the car behind holds more laps than the one ahead", {{0, 1, 3}, {1000, 1, 4}}, {}},
        {"both crossed in the same reading",
         {{0, 2, 2}, {1000, 3, 3}},
         {Kind::Seconds, 0, 0, 1000}},
        {"the same reading twice (a paused replay)",
         {{0, 2, 2}, {1000, 3, 2}, {2000, 3, 3}, {2000, 3, 3}},
         {Kind::Seconds, 1, 0, 1000}},
        {"readings closer than the field is read",
         {{0, 2, 2}, {990, 2, 2}, {1000, 3, 2}, {1490, 3, 2}, {1500, 3, 3}},
         {Kind::Seconds, 0.5, 0, 50}},
        {"a restart forgets the crossings",
         {{0, 2, 2}, {1000, 3, 2}, {2000, 3, 3}, {3000, 0, 0}},
         {}},
        {"the clock going back forgets the crossings",
         {{5000, 2, 2}, {6000, 3, 2}, {7000, 3, 3}, {1000, 3, 3}},
         {}},
        {"a long pause forgets the crossings",
         {{0, 2, 2}, {1000, 3, 2}, {2000, 3, 3}, {7500, 3, 3}},
         {}},
        {"a pause no longer than a slow scan keeps them",
         {{0, 2, 2}, {1000, 3, 2}, {2000, 3, 3}, {7000, 3, 3}},
         {Kind::Seconds, 1, 0, 1000}},
        {"the car behind was not seen crossing the lap it shows",
         {{0, 3, 2}, {1000, 4, 2}, {2000, 4, 4}},
         {}},
        {"laps passed between two readings are not timed",
         {{0, 2, 2}, {1000, 3, 2}, {2000, 3, 4}, {2500, 4, 4}},
         {}},
        {"two laps more now is a lap down at least, whatever the line said",
         {{0, 2, 2}, {1000, 3, 2}, {2000, 3, 3}, {4000, 4, 3}, {6000, 5, 3}},
         {Kind::Laps, 0, 1, 0}},
        {"three laps more than when the line was timed",
         {{0, 4, 2}, {1000, 4, 3}, {2000, 6, 3}},
         {Kind::Laps, 0, 2, 0}},
        // Lap counts and times anywhere in their range, from the game or a file.
        {"laps at the ends of 32 bits",
         {{0, 2147483647, -2147483648}, {1000, 2147483647, -2147483647}},
         {Kind::Laps, 0, 4294967294, 0}},
        {"two laps more at the ends of 32 bits",
         {{0, 2147483647, -2147483648}, {1000, 2147483647, -2147483648}},
         {Kind::Laps, 0, 4294967294, 0}},
        {"a time from one end of 64 bits to the other",
         {{kEarliestMs, 2, 2}, {kLatestMs, 3, 3}},
         {}},
        {"the line timed at the end of 64 bits",
         {{kLatestMs - 2000, 2, 2}, {kLatestMs - 1000, 3, 2}, {kLatestMs, 3, 3}},
         {Kind::Seconds, 1, 0, 1000}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(gapAfter(c.moments), c.gap);
    }
}

// Three cars over a dozen laps: each gap is to the car just ahead, from the newest crossings.
TEST(TimingTower, TimesEachCarToTheOneJustAheadLapAfterLap) {
    TimingTower tower;
    std::int64_t now = 0;
    for (int lap = 1; lap <= 12; ++lap) {
        // The second car crosses 1.5 s after the leader, the third 4 s after the leader; on the
        // last lap the third closes to 0.5 s behind the second.
        const std::int64_t third = lap == 12 ? 2000 : 4000;
        for (const std::int64_t at : {std::int64_t{0}, std::int64_t{1500}, third}) {
            tower.update({{car(0, 1, lap), car(1, 2, at >= 1500 ? lap : lap - 1),
                           car(2, 3, at == third ? lap : lap - 1)}},
                         now + at);
        }
        now += 5000;
        tower.update({{car(0, 1, lap), car(1, 2, lap), car(2, 3, lap)}}, now - 500);
    }
    const std::vector<TowerRow> rows = tower.rows(-1);
    // The leader is read 500 ms before it crosses, the second 1.5 s, the third 0.5 s.
    EXPECT_EQ(rows[1].gap, (Gap{Kind::Seconds, 1.5, 0, 1500}));
    EXPECT_EQ(rows[2].gap, (Gap{Kind::Seconds, 0.5, 0, 1500}));
}

// Two cars 0.4 s apart at the line, the field read every so often: the gap is written to the
// precision the readings give it.
TEST(TimingTower, WritesAGapToThePrecisionItWasMeasured) {
    const i18n::Texts &english = i18n::findLanguage("English")->texts;
    const struct {
        std::int64_t everyMs;
        char separator;
        const char *gap;
    } cases[] = {
        {500, '.', "+0"},   // both seen in the reading at 1500
        {150, '.', "+0"},   // at 1050 and 1500: 0.45 to 150 ms
        {100, ',', "+0,4"}, // at 1100 and 1500
        {50, '.', "+0.4"},  // at 1050 and 1450
        {10, '.', "+0.4"},  // samples every 10 ms carry the field read every 50 ms at best
        {1000, ',', "+0"},  // both at 2000
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.everyMs);
        TimingTower tower;
        for (std::int64_t t = 0; t <= 3000; t += c.everyMs) {
            tower.update({{car(0, 1, t >= 1010 ? 3 : 2), car(1, 2, t >= 1410 ? 3 : 2)}}, t);
        }
        const std::vector<TowerLine> lines = towerLines(tower.rows(-1), english, c.separator);
        EXPECT_EQ(lines[1].gap, c.gap);
    }
}

TEST(TimingTower, ASlotThatChangesDriverStartsAgain) {
    TimingTower tower;
    tower.update({{car(0, 1, 2), car(1, 2, 2, 0, "Eric Lund")}}, 0);
    tower.update({{car(0, 1, 3), car(1, 2, 2, 0, "Eric Lund")}}, 1000);
    tower.update({{car(0, 1, 3), car(1, 2, 3, 0, "Eric Lund")}}, 2000);
    EXPECT_EQ(tower.rows(-1)[1].gap, (Gap{Kind::Seconds, 1, 0, 1000}));
    // The slot empties, then another driver takes it on the same lap count.
    tower.update({{car(0, 1, 3)}}, 3000);
    tower.update({{car(0, 1, 3), car(1, 2, 3, 0, "Nils Berg")}}, 4000);
    EXPECT_EQ(tower.rows(-1)[1].gap, Gap{});
    tower.update({{car(0, 1, 3), car(1, 2, 3, 0, "Eric Lund")}}, 5000);
    EXPECT_EQ(tower.rows(-1)[1].gap, Gap{});
}

TEST(TowerLines, WritesTheRowsInTheLanguageOfTheTexts) {
    const i18n::Texts &english = i18n::findLanguage("English")->texts;
    const i18n::Texts &spanish = i18n::findLanguage("Español")->texts;
    EXPECT_EQ(gapText({Kind::Laps, 0, 1}, english, '.'), "1 lap");
    EXPECT_EQ(gapText({Kind::Laps, 0, 3}, english, '.'), "3 laps");
    EXPECT_EQ(gapText({Kind::Laps, 0, 3}, spanish, ','), "3 vueltas");
    const struct {
        Gap gap;
        char separator;
        const char *text;
    } seconds[] = {
        {{Kind::Seconds, 12.3456, 0, 1}, '.', "+12.346"},
        {{Kind::Seconds, 12.3456, 0, 2}, '.', "+12.35"},
        {{Kind::Seconds, 12.3456, 0, 10}, ',', "+12,35"},
        {{Kind::Seconds, 12.3456, 0, 11}, '.', "+12.3"},
        {{Kind::Seconds, 12.3456, 0, 100}, ',', "+12,3"},
        {{Kind::Seconds, 12.3456, 0, 101}, '.', "+12"},
        {{Kind::Seconds, 0.5, 0, 0}, ',', "+0,500"},
        {{Kind::Seconds, -0.04, 0, 50}, '.', "+0.0"},
        {{Kind::Seconds, -0.06, 0, 50}, '.', "-0.1"},
    };
    for (const auto &c : seconds) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(gapText(c.gap, english, c.separator), c.text);
    }
    EXPECT_EQ(gapText({}, english, '.'), "");

    TowerRow row;
    row.place = 3;
    row.car = car(7, 3, 12, 83.5F, "Sofia Greco");
    row.car.carName = "Nordic Coupe S";
    row.car.lastLapTime = std::numeric_limits<float>::quiet_NaN();
    row.car.inPits = true;
    row.followed = true;
    row.overallBest = true;
    TowerRow unknown;
    unknown.place = 4;
    unknown.car = car(8, 0, -1, 0, "X");
    unknown.car.lastLapTime = 90;
    TowerRow starting;
    starting.place = 5;
    starting.car = car(9, 5, 0, 0, "Y");
    const std::vector<TowerLine> lines = towerLines({row, unknown, starting}, spanish, ',');
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[2].laps, "0");
    EXPECT_EQ(lines[0], (TowerLine{"3", "Sofia Greco", "Nordic Coupe S", "12", "1:23,500", "", "",
                                   spanish.TextPits, true, true}));
    EXPECT_EQ(lines[1], (TowerLine{"4", "X", "", "", "", "1:30,000", "", "", false, false}));
}

} // namespace
} // namespace ostrelo::standings
