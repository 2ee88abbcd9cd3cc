// SPDX-License-Identifier: GPL-3.0-or-later
#include "engineer/engineer_report.h"
#include "engineer/fuel_figures.h"
#include "engineer/lap_recorder.h"
#include "engineer/race_engineer.h"
#include "i18n/language_table.h"

#include <gtest/gtest.h>

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
    const Case cases[] = {
        {"the lap time a sample late",
         {at(2, 40, 80), at(3, 38, 80), at(3, 37, 92.5F), at(4, 35, 92.5F), at(4, 34, 91)},
         2,
         false,
         92.5F},
        {"the lap after a late time takes its own",
         {at(2, 40, 80), at(3, 38, 80), at(3, 37, 92.5F), at(4, 35, 92.5F), at(4, 34, 91)},
         3,
         true,
         91},
        {"the second whole lap counts",
         {at(2, 40), at(3, 38, 80), at(4, 35, 91), at(5, 32, 90)},
         4,
         true,
         90},
        {"a pit stop with the ignition off",
         {at(2, 40), at(3, 38, 80), ignitionOff, at(4, 35, 91)},
         3,
         false,
         91,
         true},
        {"a refuel",
         {at(2, 40), at(3, 38, 80), at(3, 60), at(4, 57, 95)},
         3,
         false,
         95,
         false,
         true},
        {"a refuel seen at the line",
         {at(2, 40), at(3, 38, 80), at(3, 37), at(4, 60, 91)},
         3,
         false,
         91,
         false,
         true},
        {"the lap out of the pits",
         {at(2, 40), pitStop, at(4, 28, 99), at(5, 25, 90)},
         4,
         false,
         90,
         false},
        {"a lap as fast as the one before",
         {at(2, 40), at(3, 38, 80), at(4, 35, 80), at(4, 34, 80), at(4, 34, 80), at(4, 34, 80),
          at(4, 34, 80), at(4, 34, 80), at(4, 34, 80), at(4, 34, 80), at(4, 34, 80), at(4, 34, 80),
          at(4, 34, 80)},
         3,
         true,
         80},
    };
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
    FuelFigures figures = fuelFigures(laps, 20, 4, {});
    EXPECT_EQ(figures.countingLaps, 2);
    EXPECT_FALSE(figures.enough);
    EXPECT_FALSE(figures.toAdd);

    laps.push_back(lap(5, 2.8F, 89));
    laps.push_back(lap(6, 3.0F, 90));
    figures = fuelFigures(laps, 21, 6, {RaceLength::Kind::Laps, 20});
    EXPECT_TRUE(figures.enough);
    EXPECT_NEAR(figures.perLapMean, 3.0, 1e-6); // laps 4, 5, 6
    EXPECT_NEAR(figures.perLapMost, 3.2, 1e-6);
    EXPECT_NEAR(figures.lapsOfFuel, 7.0, 1e-6);
    EXPECT_EQ(figures.lapsToGo, 14);
    EXPECT_NEAR(*figures.toAdd, (14 + 1) * 3.0 - 21, 1e-6);

    // 30 minutes at 90 s a lap are 20 laps; 16 to go and one in reserve need 51 litres.
    figures = fuelFigures(laps, 51, 4, {RaceLength::Kind::Minutes, 30});
    EXPECT_EQ(figures.lapsToGo, 16);
    EXPECT_EQ(*figures.toAdd, 0);
    // Past the end, only the reserve lap is asked for.
    figures = fuelFigures(laps, 1, 25, {RaceLength::Kind::Laps, 20});
    EXPECT_EQ(figures.lapsToGo, 0);
    EXPECT_NEAR(*figures.toAdd, 2, 1e-6);
}

TEST(FuelFigures, WritesDeltasAndLapTimes) {
    EXPECT_EQ(deltaText(0.345), "+0.345");
    EXPECT_EQ(deltaText(-0.12), "-0.120");
    EXPECT_EQ(lapTimeText(83.4567), "1:23.457");
    EXPECT_EQ(lapTimeText(59.9996), "1:00.000");
    EXPECT_EQ(lapTimeText(0), "-");
}

// The laps kept in memory, as the history would keep them.
struct KeptLaps : LapHistory {
    std::int64_t beginSession(const std::string &track, const std::string &car,
                              std::int64_t) override {
        sessions.push_back(track + "/" + car);
        return static_cast<std::int64_t>(sessions.size());
    }
    bool addLap(std::int64_t session, const LapRecord &lap) override {
        kept.emplace_back(session, lap);
        return true;
    }
    double personalBest(const std::string &track, const std::string &) const override {
        return track == "Anella Sud" ? 91.0 : 0;
    }
    std::vector<std::string> sessions;
    std::vector<std::pair<std::int64_t, LapRecord>> kept;
};

TEST(RaceEngineer, KeepsEachSessionsLapsAndComparesWithTheBest) {
    KeptLaps history;
    RaceEngineer engineer(&history);
    std::vector<TelemetrySample> samples = {at(2, 40),         at(3, 37, 92), at(4, 34, 90.5F),
                                            at(5, 31, 91.25F), at(5, 50),     at(6, 48, 93)};
    for (TelemetrySample &s : samples) {
        s.TrackName = "Anella Sud";
        s.CarName = "Lince";
        engineer.feed(s, 1000);
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
    TelemetrySample elsewhere = at(6, 28, 90);
    elsewhere.TrackName = "Monza";
    elsewhere.CarName = "Lince";
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

} // namespace
} // namespace ostrelo::engineer
