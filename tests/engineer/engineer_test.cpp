// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/engineer_report.h"
#include "engineer/fuel_figures.h"
#include "engineer/lap_recorder.h"
#include "engineer/race_engineer.h"
#include "i18n/language_table.h"
#include "support/portable.h"

#include <gtest/gtest.h>

#include <clocale>
#include <functional>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace ostrelo::engineer {
namespace {

using telemetry::TelemetrySample;

// A sample on lap `lap` with `fuel` litres; the last-lap time given is `lastLap`.
TelemetrySample at(int lap, float fuel, float lastLap = 0) {
    TelemetrySample s;
    s.LapNumber = static_cast<std::int16_t>(lap);
    s.Fuel = fuel;
    s.LastLapTime = lastLap;
    s.Ignition = 1;
    s.Position = 4;
    s.TyreTemp[telemetry::FL] = {80, 90, 100};
    return s;
}

// `s` driven on `track` in `car`.
TelemetrySample on(const char *track, TelemetrySample s, const char *car = "Lince") {
    s.TrackName = track;
    s.CarName = car;
    return s;
}

// Feeds every sample and collects the laps they finish.
std::vector<LapRecord> drive(LapRecorder &recorder, const std::vector<TelemetrySample> &samples) {
    std::vector<LapRecord> laps;
    for (const TelemetrySample &s : samples) {
        for (const LapRecord &lap : recorder.feed(s)) {
            laps.push_back(lap);
        }
    }
    return laps;
}

TEST(LapRecorder, RecordsWholeLapsAndTellsWhichCountForFuel) {
    LapRecorder recorder;
    // Started mid-race on lap 5: lap 5 is not whole.
    std::vector<TelemetrySample> samples = {at(5, 50), at(5, 49), at(6, 48, 91.5F), at(6, 46),
                                            at(7, 45, 90.25F)};
    samples[3].TyreTemp[telemetry::FL] = {90, 100, 110};
    std::vector<LapRecord> laps = drive(recorder, samples);
    ASSERT_EQ(laps.size(), 2u);
    EXPECT_EQ(laps[0].number, 5);
    EXPECT_FALSE(laps[0].counts);
    EXPECT_EQ(laps[1].number, 6);
    EXPECT_TRUE(laps[1].counts);
    EXPECT_FLOAT_EQ(laps[1].fuelUsedL, 3);
    EXPECT_FLOAT_EQ(laps[1].timeS, 90.25F);
    EXPECT_FLOAT_EQ(laps[1].treadC[telemetry::FL], 95); // (90 + 100) / 2 over its samples
    EXPECT_EQ(laps[1].position, 4);
}

TEST(LapRecorder, HandlesWhatTheGameDoes) {
    struct Case {
        const char *what;
        std::vector<TelemetrySample> samples;
        int lap; // the lap looked at
        bool counts;
        float timeS;
        bool pitted = false;
        bool refuelled = false;
    };
    TelemetrySample pitStop = at(3, 30, 80);
    pitStop.InPits = 1;
    pitStop.PitLimiter = 1;
    TelemetrySample ignitionOff = at(3, 37);
    ignitionOff.Ignition = 0;
    const std::vector<TelemetrySample> late = {at(2, 40, 80), at(3, 38, 80), at(3, 37, 92.5F),
                                               at(4, 35, 92.5F), at(4, 34, 91)};
    std::vector<TelemetrySample> sameTime = {at(2, 40), at(3, 38, 80), at(4, 35, 80)};
    sameTime.insert(sameTime.end(), 10, at(4, 34, 80));
    // clang-format off
    const Case cases[] = {
        {"the lap time a sample late", late, 2, false, 92.5F},
        {"the lap after a late time takes its own", late, 3, true, 91},
        {"the second whole lap counts", {at(2, 40), at(3, 38, 80), at(4, 35, 91), at(5, 32, 90)},
         4, true, 90},
        {"a pit stop with the ignition off", {at(2, 40), at(3, 38, 80), ignitionOff, at(4, 35, 91)},
         3, false, 91, true},
        {"a refuel", {at(2, 40), at(3, 38, 80), at(3, 60), at(4, 57, 95)}, 3, false, 95, false, true},
        {"a refuel seen at the line", {at(2, 40), at(3, 38, 80), at(3, 37), at(4, 60, 91)},
         3, false, 91, false, true},
        {"the lap out of the pits", {at(2, 40), pitStop, at(4, 28, 99), at(5, 25, 90)}, 4, false, 90},
        {"a refuel a little with each sample, as at a fast scan",
         {at(2, 40), at(3, 38, 80), at(3, 37.5F), at(3, 37.55F), at(3, 37.6F), at(3, 37.65F),
          at(3, 37.7F), at(4, 37.7F, 91)}, 3, false, 91, false, true},
        {"the fuel going down by a little is no refuel",
         {at(2, 40), at(3, 38, 80), at(3, 37.9F), at(3, 37.95F), at(4, 35, 91), at(5, 32, 90)},
         4, true, 90},
        {"a lap the game gave no time", {at(2, 40), at(3, 38, 80), at(4, 35, -1)}, 3, true, 0},
        {"a time of a day is none", {at(2, 40), at(3, 38, 80), at(4, 35, 86400)}, 3, true, 0},
        {"a lap as fast as the one before", sameTime, 3, true, 80},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        LapRecorder recorder;
        const std::vector<LapRecord> laps = drive(recorder, c.samples);
        const LapRecord *found = nullptr;
        for (const LapRecord &lap : laps) {
            found = lap.number == c.lap ? &lap : found;
        }
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->counts, c.counts);
        EXPECT_FLOAT_EQ(found->timeS, c.timeS);
        EXPECT_EQ(found->pitted, c.pitted);
        EXPECT_EQ(found->refuelled, c.refuelled);
    }
}

std::vector<int> lapNumbers(const std::vector<LapRecord> &laps) {
    std::vector<int> numbers;
    for (const LapRecord &lap : laps) {
        numbers.push_back(lap.number);
    }
    return numbers;
}

TEST(LapRecorder, ARestartDropsTheLapUnderWay) {
    LapRecorder recorder;
    const std::vector<LapRecord> laps =
        drive(recorder, {at(2, 40), at(3, 38, 80), at(4, 35, 91), at(4, 34), at(1, 60),
                         at(2, 57, 93), at(3, 54, 92)});
    EXPECT_EQ(lapNumbers(laps), (std::vector<int>{2, 3, 1, 2}));
    EXPECT_FALSE(laps[2].counts); // from the grid
    EXPECT_TRUE(laps[3].counts);
    EXPECT_EQ(recorder.currentLap(), 3);
    // A lap still waiting for its time when the restart comes is kept, without one.
    LapRecorder waiting;
    const std::vector<LapRecord> kept =
        drive(waiting, {at(2, 40), at(3, 38, 80), at(4, 35, 80), at(1, 60, 80)});
    EXPECT_EQ(lapNumbers(kept), (std::vector<int>{2, 3}));
}

// Laps that pass unseen (a replay moved forward) leave no lap of them, nor of the lap that
// was under way: the fuel it would show is that of several laps.
TEST(LapRecorder, LapsPassedUnseenDropTheLapUnderWay) {
    LapRecorder recorder;
    const std::vector<LapRecord> laps =
        drive(recorder, {at(2, 40), at(3, 38, 80), at(4, 35, 91), at(4, 34), at(9, 20, 95),
                         at(10, 18, 96), at(11, 16, 94)});
    EXPECT_EQ(lapNumbers(laps), (std::vector<int>{2, 3, 9, 10}));
    EXPECT_FALSE(laps[2].counts);
    LapRecorder twoOn;
    EXPECT_EQ(lapNumbers(drive(twoOn, {at(2, 40), at(3, 38, 80), at(5, 35, 91), at(6, 33, 90)})),
              (std::vector<int>{2, 5}));
    EXPECT_FLOAT_EQ(laps[2].fuelUsedL, 2);
    EXPECT_TRUE(laps[3].counts);
}

LapRecord lap(int number, float fuel, float time, bool counts = true) {
    LapRecord record;
    record.number = number;
    record.fuelUsedL = fuel;
    record.timeS = time;
    record.counts = counts;
    return record;
}

TEST(FuelFigures, TakeTheLastThreeCountingLaps) {
    std::vector<LapRecord> laps = {lap(1, 9, 100, false), lap(2, 4.1F, 90), lap(3, 5, 99, false),
                                   lap(4, 3.2F, 91)};
    FuelFigures figures = fuelFigures(laps, 20, 4, {}, 0);
    EXPECT_EQ(figures.countingLaps, 2);
    EXPECT_FALSE(figures.enough);
    EXPECT_FALSE(figures.toAdd);

    laps.push_back(lap(5, 2.8F, 89));
    laps.push_back(lap(6, 3.0F, 90));
    figures = fuelFigures(laps, 21, 6, {}, 0);
    EXPECT_TRUE(figures.enough);
    EXPECT_NEAR(figures.perLapMean, 3.0, 1e-6); // laps 4, 5, 6
    EXPECT_NEAR(figures.perLapMost, 3.2, 1e-6);
    EXPECT_NEAR(figures.lapsOfFuel, 7.0, 1e-6);
    EXPECT_FALSE(figures.lapsToGo);
}

// Three counting laps of 3 litres at 90 s a lap: what is left to drive, and what to put in
// with the tank the car has. Each figure is needed = (laps to go + 1 in reserve) x 3 litres.
TEST(FuelFigures, AdviseNoMoreThanTheTankHolds) {
    // The pit lap last neither counts for the fuel nor for the time of a lap.
    const std::vector<LapRecord> laps = {lap(4, 3.2F, 91), lap(5, 2.8F, 89), lap(6, 3.0F, 90),
                                         lap(7, 1, 150, false)};
    using Kind = RaceLength::Kind;
    const struct {
        const char *what;
        double fuel;
        int completed;
        RaceLength length;
        double tank;
        int lapsToGo;
        std::optional<double> toAdd;
        int stops;
        double perStop;
    } cases[] = {
        {"no tank known: what is missing", 21, 6, {Kind::Laps, 20}, 0, 14, 24, 0, 0},
        {"a tank that holds what is needed", 21, 6, {Kind::Laps, 20}, 50, 14, 24, 0, 0},
        {"a tank that holds exactly what is needed", 10, 1, {Kind::Laps, 20}, 60, 19, 50, 0, 0},
        {"enough aboard", 51, 4, {Kind::Laps, 20}, 60, 16, 0, 0, 0},
        // 114 litres needed, 59 aboard of 60: one stop with a lap left adds up to 57.
        {"a full tank that cannot finish: one stop", 59, 0, {Kind::Laps, 37}, 60, 37, {}, 1, 55},
        // 183 litres needed, 30 aboard: 153 to put in, 57 at most a stop.
        {"three stops", 30, 0, {Kind::Laps, 60}, 60, 60, {}, 3, 51},
        {"more aboard than the tank learned", 62, 0, {Kind::Laps, 37}, 60, 37, {}, 1, 52},
        {"a tank smaller than a lap's fuel", 2, 0, {Kind::Laps, 10}, 2, 10, {}, 0, 0},
        // 30 minutes at 90 s: time runs out as lap 21 starts, and it is driven too.
        {"minutes: 30 at 90 s end on lap 21", 51, 4, {Kind::Minutes, 30}, 0, 17, 3, 0, 0},
        {"minutes: 31 at 90 s end on lap 21", 51, 4, {Kind::Minutes, 31}, 0, 17, 3, 0, 0},
        {"minutes: 29 at 90 s end on lap 20", 51, 4, {Kind::Minutes, 29}, 0, 16, 0, 0, 0},
        {"past the end, the reserve lap", 1, 25, {Kind::Laps, 20}, 60, 0, 2, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const FuelFigures figures = fuelFigures(laps, c.fuel, c.completed, c.length, c.tank);
        EXPECT_EQ(figures.lapsToGo, c.lapsToGo);
        ASSERT_EQ(figures.toAdd.has_value(), c.toAdd.has_value());
        if (c.toAdd) {
            EXPECT_NEAR(*figures.toAdd, *c.toAdd, 1e-5);
        }
        EXPECT_EQ(figures.stops, c.stops);
        EXPECT_NEAR(figures.perStop, c.perStop, 1e-5);
    }
}

// The reserve and the rate the driver chose, and the consumption of earlier sessions until
// this one has three counting laps (3.2, 2.8 and 3.0 litres: a mean of 3, at most 3.2).
TEST(FuelFigures, FollowTheDriversPlanAndEarlierSessions) {
    const std::vector<LapRecord> three = {lap(4, 3.2F, 91), lap(5, 2.8F, 89), lap(6, 3.0F, 90)};
    const std::vector<LapRecord> two(three.begin(), three.begin() + 2);
    using Kind = RaceLength::Kind;
    const struct {
        const char *what;
        const std::vector<LapRecord> &laps;
        double fuel;
        int completed;
        double raceLaps;
        double tank;
        FuelPlan plan;
        EarlierConsumption earlier;
        bool fromEarlier;
        double lapsOfFuel;
        std::optional<double> toAdd;
        int stops;
        double perStop;
    } cases[] = {
        {"no reserve", three, 21, 6, 20, 0, {0, false}, {}, false, 7, 21, 0, 0},
        {"three laps in reserve", three, 21, 6, 20, 0, {3, false}, {}, false, 7, 30, 0, 0},
        {"more than three is three", three, 21, 6, 20, 0, {9, false}, {}, false, 7, 30, 0, 0},
        {"the highest lap", three, 21, 6, 20, 0, {1, true}, {}, false, 6.5625, 27, 0, 0},
        // 117 litres with two laps in reserve, 59 aboard: a stop adds at most 60 - 6.
        {"two laps in reserve", three, 59, 0, 37, 60, {2, false}, {}, false, 59.0 / 3, {}, 2, 29},
        {"earlier sessions", two, 21, 6, 20, 0, {1, false}, {2.5, 2.9}, true, 8.4, 16.5, 0, 0},
        {"earlier highest", two, 21, 6, 20, 0, {1, true}, {2.5, 2.9}, true, 21 / 2.9, 22.5, 0, 0},
        {"earlier highest, never under the mean",
         two,
         21,
         6,
         20,
         0,
         {1, true},
         {2.5, 2.0},
         true,
         8.4,
         16.5,
         0,
         0},
        // 114 litres with three laps in reserve, 60 aboard: a stop adds at most 60 - 9.
        {"three laps in reserve at a stop",
         three,
         60,
         0,
         35,
         60,
         {3, false},
         {},
         false,
         20,
         {},
         2,
         27},
        {"three laps here win", three, 21, 6, 20, 0, {1, false}, {2.5, 2.9}, false, 7, 24, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        const FuelFigures figures = fuelFigures(
            c.laps, c.fuel, c.completed, {Kind::Laps, c.raceLaps}, c.tank, c.plan, c.earlier);
        EXPECT_TRUE(figures.enough);
        EXPECT_EQ(figures.fromEarlier, c.fromEarlier);
        EXPECT_NEAR(figures.lapsOfFuel, c.lapsOfFuel, 1e-5);
        ASSERT_EQ(figures.toAdd.has_value(), c.toAdd.has_value());
        if (c.toAdd) {
            EXPECT_NEAR(*figures.toAdd, *c.toAdd, 1e-5);
        }
        EXPECT_EQ(figures.stops, c.stops);
        EXPECT_NEAR(figures.perStop, c.perStop, 1e-5);
    }
    EXPECT_FALSE(fuelFigures(two, 21, 6, {}, 0).enough);
}

// Each column of the export holds the field its name says.
TEST(LapRecord, EachColumnOfTheExportHoldsItsField) {
    LapRecord lap;
    lap.number = 7;
    lap.timeS = 91.25F;
    lap.fuelUsedL = 2.75F;
    lap.position = 3;
    lap.pitted = true;
    lap.refuelled = true;
    lap.treadC = {81, 82, 83, 84};
    lap.pressureKpa = {181, 182, 183, 184};
    lap.wear = {0.5F, 0.25F, 0.125F, 0.0625F};
    lap.brakeC = {401, 402, 403, 404};
    // Under a locale whose decimal separator is a comma too, as the program runs for most
    // of its languages.
    const char *const before = std::setlocale(LC_NUMERIC, nullptr);
    const std::string restore = before ? before : "C";
    ASSERT_NE(std::setlocale(LC_NUMERIC, testing::kCommaLocale), nullptr);
    const std::string csv = lapsCsv(std::vector<LapRecord>{lap});
    std::setlocale(LC_NUMERIC, restore.c_str());
    const auto cells = [](const std::string &line) {
        std::vector<std::string> parts(1);
        for (const char c : line) {
            if (c == ',') {
                parts.emplace_back();
            } else {
                parts.back() += c;
            }
        }
        return parts;
    };
    const std::size_t end = csv.find("\r\n");
    const std::vector<std::string> names = cells(csv.substr(0, end));
    const std::vector<std::string> values = cells(csv.substr(end + 2, csv.size() - end - 4));
    ASSERT_EQ(names.size(), kLapColumnCount);
    ASSERT_EQ(values.size(), kLapColumnCount);
    std::map<std::string, std::string> row;
    for (std::size_t i = 0; i < names.size(); ++i) {
        row[names[i]] = values[i];
    }
    const std::pair<const char *, const char *> expected[] = {
        {"number", "7"},        {"time_s", "91.25"},    {"fuel_used_l", "2.75"},
        {"position", "3"},      {"pitted", "1"},        {"limiter", "0"},
        {"refuelled", "1"},     {"counts", "0"},        {"tread_fl", "81"},
        {"tread_fr", "82"},     {"tread_rl", "83"},     {"tread_rr", "84"},
        {"pressure_fl", "181"}, {"pressure_fr", "182"}, {"pressure_rl", "183"},
        {"pressure_rr", "184"}, {"wear_fl", "0.5"},     {"wear_fr", "0.25"},
        {"wear_rl", "0.125"},   {"wear_rr", "0.0625"},  {"brake_fl", "401"},
        {"brake_fr", "402"},    {"brake_rl", "403"},    {"brake_rr", "404"},
    };
    for (const auto &[name, value] : expected) {
        SCOPED_TRACE(name);
        EXPECT_EQ(row[name], value);
    }
    EXPECT_EQ(row.size(), kLapColumnCount);
}

// The laps kept in memory, as the history would keep them. It answers at once, or, with
// `later`, when `answer()` is called.
struct KeptLaps : LapHistory {
    void setListener(Listener *to) override { listener = to; }
    std::int64_t beginSession(const std::string &track, const std::string &car,
                              std::int64_t) override {
        sessions.push_back(track + "/" + car);
        return static_cast<std::int64_t>(sessions.size());
    }
    void addLap(std::int64_t session, const LapRecord &lap) override {
        kept.emplace_back(session, lap);
    }
    void askPersonalBest(const std::string &track, const std::string &car) override {
        const double best = bests.contains(track) ? bests[track] : 0;
        reply([=, this] { listener->personalBestFound(track, car, best); });
    }
    void askTankCapacity(const std::string &car) override {
        const TankCapacity tank = tanks.contains(car) ? tanks[car] : TankCapacity{};
        reply([=, this] { listener->tankCapacityFound(car, tank); });
    }
    void keepTankCapacity(const std::string &car, const TankCapacity &tank) override {
        tanks[car] = tank;
    }
    void askConsumption(const std::string &track, const std::string &car) override {
        const EarlierConsumption used = consumptions[track + "/" + car];
        reply([=, this] { listener->consumptionFound(track, car, used); });
    }
    void reply(std::function<void()> call) {
        if (later) {
            held.push_back(std::move(call));
        } else {
            call();
        }
    }
    void answer() {
        for (const auto &call : std::exchange(held, {})) {
            call();
        }
    }
    Listener *listener = nullptr;
    bool later = false;
    std::vector<std::function<void()>> held;
    std::vector<std::string> sessions;
    std::vector<std::pair<std::int64_t, LapRecord>> kept;
    std::map<std::string, double> bests{{"Anella Sud", 91.0}};
    std::map<std::string, TankCapacity> tanks;
    std::map<std::string, EarlierConsumption> consumptions;
};

TEST(RaceEngineer, KeepsEachSessionsLapsAndComparesWithTheBest) {
    KeptLaps history;
    RaceEngineer engineer(&history);
    for (const TelemetrySample &s : {at(2, 40), at(3, 37, 92), at(4, 34, 90.5F), at(5, 31, 91.25F),
                                     at(5, 50), at(6, 48, 93)}) {
        engineer.feed(on("Anella Sud", s), 1000);
    }
    EXPECT_EQ(history.sessions, std::vector<std::string>{"Anella Sud/Lince"});
    ASSERT_EQ(engineer.laps().size(), 4u);
    EXPECT_EQ(history.kept.size(), 4u);
    EXPECT_DOUBLE_EQ(engineer.personalBest(), 90.5); // lap 3 beat the 91.0 kept
    EXPECT_NEAR(*engineer.lastAgainstBest(), 2.5, 1e-5);

    // Fewer than three counting laps: the report says so rather than guessing.
    const EngineerReport report =
        engineerReport(engineer, i18n::findLanguage("English")->texts, core::Units::Imperial, '.');
    EXPECT_EQ(report.fuelPerLap, "Fuel figures after 3 counting laps (2 so far)");
    EXPECT_EQ(report.againstBest, "Last lap against best: +2.500");
    EXPECT_EQ(report.rows[1], (std::vector<std::string>{"3", "1:30.500", "0.79 G", "4", "", "✓"}));
    // The lap with fuel put in shows none used, in the table and the plot.
    EXPECT_EQ(report.rows[3][2], "-");
    EXPECT_EQ(report.fuelUsed[3], 0);
    EXPECT_EQ(report.columns.size(), report.rows[1].size());

    // Another track is another session, with its own best.
    TelemetrySample elsewhere = on("Monza", at(6, 28, 90));
    engineer.feed(elsewhere, 2000);
    elsewhere.LapNumber = 7;
    elsewhere.LastLapTime = 95;
    engineer.feed(elsewhere, 3000);
    EXPECT_EQ(history.sessions.back(), "Monza/Lince");
    EXPECT_EQ(history.kept.back().first, 2);
    EXPECT_DOUBLE_EQ(engineer.personalBest(), 95);
    EXPECT_FALSE(engineer.lastAgainstBest());
    // A pit lap is compared with the best, but is none.
    elsewhere.LapNumber = 8;
    elsewhere.LastLapTime = 120.5F;
    elsewhere.InPits = 1;
    engineer.feed(elsewhere, 4000);
    elsewhere.LapNumber = 9;
    elsewhere.LastLapTime = 90;
    engineer.feed(elsewhere, 5000);
    EXPECT_NEAR(*engineer.lastAgainstBest(), -5, 1e-5);
    EXPECT_DOUBLE_EQ(engineer.personalBest(), 95);
    // One lap back is a restart, and so a new session from the next lap on.
    elsewhere.InPits = 0;
    elsewhere.LapNumber = 8;
    engineer.feed(elsewhere, 6000);
    elsewhere.LapNumber = 9;
    elsewhere.LastLapTime = 96;
    engineer.feed(elsewhere, 7000);
    EXPECT_EQ(history.sessions.size(), 3u);
}

// Until this session has three counting laps, the fuel figures come from what the car used
// here before, as the history tells it (late, and only for the place now driven), and say so.
TEST(RaceEngineer, CountsFuelFromEarlierSessionsUntilThisOneHasItsOwn) {
    KeptLaps history;
    history.later = true;
    history.consumptions["Anella Sud/Lince"] = {2.5, 2.9};
    history.consumptions["Monza/Lince"] = {3.5, 3.6};
    RaceEngineer engineer(&history);
    const auto drive = [&](const char *track, int lapNumber, float fuel) {
        engineer.feed(on(track, at(lapNumber, fuel, static_cast<float>(80 + lapNumber))), 0);
    };
    drive("Monza", 2, 40);
    drive("Anella Sud", 2, 40);
    history.answer();
    EXPECT_EQ(engineer.earlierConsumption(), (EarlierConsumption{2.5, 2.9}));
    EXPECT_TRUE(engineer.fuel().fromEarlier);
    EXPECT_NEAR(engineer.fuel().lapsOfFuel, 16, 1e-5);
    engineer.setFuelPlan({1, true});
    EXPECT_NEAR(engineer.fuel().lapsOfFuel, 40 / 2.9, 1e-5);
    const EngineerReport report =
        engineerReport(engineer, i18n::findLanguage("English")->texts, core::Units::Metric, '.');
    EXPECT_EQ(report.fuelPerLap, "Fuel per lap: 2.50 L (highest 2.90 L), from earlier sessions");
    for (int lapNumber = 3; lapNumber <= 6; ++lapNumber) {
        drive("Anella Sud", lapNumber, 40 - 3.0F * static_cast<float>(lapNumber - 2));
    }
    EXPECT_FALSE(engineer.fuel().fromEarlier);
    EXPECT_NEAR(engineer.fuel().perLapMean, 3, 1e-5);
    // Another car here: nothing known until the history answers for it, and an answer for
    // another car or another track changes nothing.
    engineer.feed(on("Anella Sud", at(1, 40), "Falcon"), 0);
    EXPECT_FALSE(engineer.fuel().enough);
    history.listener->consumptionFound("Anella Sud", "Lince", {2.5, 2.9});
    history.listener->consumptionFound("Monza", "Falcon", {3.5, 3.6});
    EXPECT_FALSE(engineer.fuel().enough);
    history.listener->consumptionFound("Anella Sud", "Falcon", {4, 4.5});
    EXPECT_EQ(engineer.earlierConsumption(), (EarlierConsumption{4, 4.5}));
}

TEST(RaceEngineer, CountsTheLapsToGoFromTheLapsCompleted) {
    RaceEngineer engineer(nullptr);
    for (int lapNumber = 1; lapNumber <= 5; ++lapNumber) {
        engineer.feed(at(lapNumber, 50 - 3.0F * static_cast<float>(lapNumber),
                         static_cast<float>(80 + lapNumber)),
                      0);
    }
    engineer.setRaceLength({RaceLength::Kind::Laps, 10});
    // On lap 5, four are completed: six to go, the one under way included.
    EXPECT_EQ(engineer.fuel().lapsToGo, 6);
    EXPECT_NEAR(engineer.fuel().perLapMean, 3, 1e-5);
}

// A car's tank is the most fuel seen after a refuel, or what the user gives; the history
// keeps each car's.
TEST(RaceEngineer, LearnsEachCarsTankAndTakesTheUsersOver) {
    KeptLaps history;
    history.tanks["Falcon"] = {45, 0};
    RaceEngineer engineer(&history);
    const auto drive = [&](const char *car, int lapNumber, float fuel) {
        engineer.feed(
            on("Anella Sud", at(lapNumber, fuel, static_cast<float>(80 + lapNumber)), car), 0);
    };
    drive("Lince", 2, 50);
    drive("Lince", 2, 49);
    EXPECT_EQ(engineer.tankCapacity(), 0) << "the fuel at the start says nothing";
    // A stop that puts fuel in a little at a time, then the car runs again.
    for (const float fuel : {20.0F, 20.4F, 35.0F, 58.5F, 58.4F}) {
        drive("Lince", 3, fuel);
    }
    EXPECT_EQ(engineer.tank(), (TankCapacity{58.5, 0}));
    EXPECT_FALSE(history.tanks.contains("Lince")) << "kept with the lap, not before";
    drive("Lince", 4, 55);
    EXPECT_EQ(history.tanks["Lince"], (TankCapacity{58.5, 0})) << "kept when the lap is";
    // A restart fills the tank without a stop.
    drive("Lince", 1, 59.5F);
    drive("Lince", 1, 59.4F);
    EXPECT_EQ(engineer.tankCapacity(), 58.5);

    engineer.setTankCapacity(60);
    EXPECT_EQ(engineer.tankCapacity(), 60);
    EXPECT_EQ(history.tanks["Lince"], (TankCapacity{58.5, 60})) << "kept at once";
    drive("Falcon", 1, 40);
    EXPECT_EQ(engineer.tankCapacity(), 45);
    drive("Lince", 1, 30);
    EXPECT_EQ(engineer.tankCapacity(), 60);
    engineer.setTankCapacity(0);
    EXPECT_EQ(engineer.tankCapacity(), 58.5);

    // Another run finds what this one kept.
    RaceEngineer later(&history);
    later.feed(on("", at(1, 10)), 0);
    EXPECT_EQ(later.tank(), (TankCapacity{58.5, 0}));
}

// The history answers some time after it is asked: what this run saw meanwhile counts with
// the answer, a tank is not written over what is kept before that is known, and an answer for
// a place left since changes nothing.
TEST(RaceEngineer, MergesWhatTheHistoryAnswersLate) {
    KeptLaps history;
    history.later = true;
    history.tanks["Lince"] = {30, 60};
    RaceEngineer engineer(&history);
    const auto drive = [&](const char *track, const TelemetrySample &s) {
        engineer.feed(on(track, s), 0);
    };
    // Lap 2 in 93, lap 3 in 92 with a refuel to 58.5 litres on the way.
    for (const TelemetrySample &s : {at(2, 40), at(3, 37, 93), at(3, 20), at(3, 20.4F), at(3, 35),
                                     at(3, 58.5F), at(3, 58.4F), at(4, 55, 92)}) {
        drive("Anella Sud", s);
    }
    engineer.setTankCapacity(55);
    EXPECT_DOUBLE_EQ(engineer.personalBest(), 92);
    EXPECT_NEAR(*engineer.lastAgainstBest(), -1, 1e-5);
    EXPECT_EQ(engineer.tank(), (TankCapacity{58.5, 55}));
    EXPECT_EQ(history.tanks["Lince"], (TankCapacity{30, 60})) << "nothing over what is kept";
    EXPECT_EQ(history.kept.size(), 2u);

    history.answer();
    // 91 kept before: lap 3 is 1 s off it, and the best is 91.
    EXPECT_DOUBLE_EQ(engineer.personalBest(), 91);
    EXPECT_NEAR(*engineer.lastAgainstBest(), 1, 1e-5);
    // The most fuel seen wins, the user's capacity over the kept one; kept at once.
    EXPECT_EQ(engineer.tank(), (TankCapacity{58.5, 55}));
    EXPECT_EQ(history.tanks["Lince"], (TankCapacity{58.5, 55}));

    drive("Monza", at(4, 54));
    drive("Monza", at(5, 51, 95));
    history.listener->personalBestFound("Anella Sud", "Lince", 80);
    history.answer();
    EXPECT_DOUBLE_EQ(engineer.personalBest(), 95);
    EXPECT_FALSE(engineer.lastAgainstBest());
}

// Every number of the report, times included, with the separator of the user's numbers.
TEST(EngineerReport, WritesTimesAndFiguresWithOneSeparator) {
    KeptLaps history;
    RaceEngineer engineer(&history);
    // Three laps of 3 litres count (3 to 5); lap 3 beats the 91.0 kept.
    const std::pair<int, float> laps[] = {{2, 0}, {3, 92}, {4, 90.5F}, {5, 91.25F}, {6, 90.75F}};
    for (const auto &[number, lastLap] : laps) {
        engineer.feed(on("Anella Sud", at(number, 66 - 3.0F * static_cast<float>(number), lastLap)),
                      0);
    }
    engineer.setTankCapacity(50);
    // 25 laps to go and one in reserve need 78 litres, 48 aboard of 50.
    engineer.setRaceLength({RaceLength::Kind::Laps, 30});
    const struct {
        const char *language;
        char separator;
        const char *toAdd;
        const char *tank;
        const char *best;
        const char *against;
        const char *lapTime;
    } cases[] = {
        {"English", '.', "Stops to finish: 1, adding 30.00 L each with a lap of fuel left",
         "Tank capacity: 50.00 L", "Personal best: 1:30.500", "Last lap against best: +0.250",
         "1:30.500"},
        {"Deutsch", ',',
         "Stopps bis zum Ziel: 1, je 30,00 L nachfüllen, mit einer Runde Kraftstoff im Tank",
         "Tankinhalt: 50,00 L", "Persönliche Bestzeit: 1:30,500",
         "Letzte Runde gegen Bestzeit: +0,250", "1:30,500"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.language);
        const EngineerReport report = engineerReport(
            engineer, i18n::findLanguage(c.language)->texts, core::Units::Metric, c.separator);
        EXPECT_EQ(report.toAdd, c.toAdd);
        EXPECT_EQ(report.tank, c.tank);
        EXPECT_EQ(report.personalBest, c.best);
        EXPECT_EQ(report.againstBest, c.against);
        ASSERT_EQ(report.rows.size(), 4u);
        EXPECT_EQ(report.rows[1][1], c.lapTime);
        EXPECT_EQ(report.tankGiven, 50);
    }
    // Enough aboard for the last laps: nothing to add.
    engineer.setRaceLength({RaceLength::Kind::Laps, 10});
    const EngineerReport enough =
        engineerReport(engineer, i18n::findLanguage("English")->texts, core::Units::Metric, '.');
    EXPECT_EQ(enough.toAddValue, "0");
    EXPECT_EQ(enough.toAdd, i18n::findLanguage("English")->texts.TextFuelEnough);
    const EngineerReport imperial =
        engineerReport(engineer, i18n::findLanguage("English")->texts, core::Units::Imperial, '.');
    EXPECT_NEAR(imperial.tankGiven, 13.2086, 1e-4);
    EXPECT_NEAR(litresFrom(imperial.tankGiven, core::Units::Imperial), 50, 1e-9);
    EXPECT_EQ(litresFrom(13, core::Units::Metric), 13);
}

} // namespace
} // namespace ostrelo::engineer
