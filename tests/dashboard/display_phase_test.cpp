// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"
#include "dashboard/colours.h"
#include "dashboard/display_phase.h"
#include "dashboard/units.h"
#include "dashboard/warnings.h"
#include "i18n/language_table.h"
#include "runtime/app_state.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ostrelo::dashboard {
namespace {

using telemetry::TelemetrySample;

class DisplayPhaseTest : public ::testing::Test {
protected:
    DisplayPhaseTest() {
        state.texts = i18n::findLanguage("English")->texts;
        display.decimalSeparator = ',';
        Canvia_Unitats(state.store, state.settings, screen, display, book);
    }

    // A car running normally: ignition on, lap 3, 45.3 litres.
    static TelemetrySample running() {
        TelemetrySample s;
        s.DriverName = "Ana";
        s.CarName = "Lince Turbo";
        s.TrackName = "Anella Sud";
        s.Ignition = 1;
        s.LapNumber = 3;
        s.Position = 3;
        s.Fuel = 45.3F;
        s.Gear = 4;
        s.EngineSpeed = 700;
        s.EngineSpeedMax = 900;
        s.WheelSpeed = {100, 100, 100, 100};
        s.TyreWear = {0.99, 0.99, 0.99, 0.99};
        return s;
    }

    // The program's order: the lap book takes the sample, then the window shows it.
    void show(TelemetrySample s) {
        book.take(s, state.followed.SlotMode);
        const core::Settings &settings = state.settings;
        phase.show(s,
                   {&state.texts, settings.Unitats == core::Units::Imperial, !settings.NoGrafics,
                    settings.Depurar, state.ProcessStartTick},
                   {state.followed.SlotMode, state.followed.CarSlot}, book);
    }

    runtime::AppState state;
    Screen screen;
    DisplayState display;
    LapBook book;
    std::int32_t clock = 1000;
    DisplayPhase phase{screen, display, [this] { return clock; }};
};

TEST_F(DisplayPhaseTest, WritesEveryElementOfASample) {
    state.followed.CarSlot = 5;
    TelemetrySample s = running();
    s.TyreTemp[telemetry::FL] = {84.5F, 85.5F, 79.9F};
    s.TyrePressure[telemetry::RR] = 190;
    s.BrakeTemp[telemetry::RL] = 450;
    s.AmbientTemp = 4.5F;
    s.TrackTemp = -3;
    s.BestLapTime = 83.456F;
    s.Throttle = 100.4F;
    s.Brake = 0;
    s.TractionControl = 2;
    s.AbsLevel = 1;
    s.PitLimiter = 1;
    show(s);
    EXPECT_EQ(screen.tyreTemp[0][0].text, " 84");
    EXPECT_EQ(screen.tyreTemp[0][1].text, " 86");
    EXPECT_EQ(screen.tyrePressure[3].text, " 190kPA");
    EXPECT_EQ(screen.brakeTemp[2].text, " 450\u00BAC");
    EXPECT_EQ(screen.ambientTemp, "Amb: 04\u00BAC");
    EXPECT_EQ(screen.trackTemp, "Tr: -03\u00BAC");
    EXPECT_EQ(screen.bestLap, "Best: 1:23,456");
    EXPECT_EQ(screen.lastLap, "Last: -:--,---");
    EXPECT_EQ(screen.throttle, "100");
    EXPECT_EQ(screen.brake, "0");
    EXPECT_EQ(screen.gear, " 4");
    EXPECT_EQ(screen.lapNumber, " 3");
    EXPECT_EQ(screen.fuel, "45,30L");
    EXPECT_EQ(screen.carName, "Lince Turbo");
    EXPECT_EQ(screen.trackName, "Anella Sud");
    EXPECT_EQ(screen.tyreWear[0], "3,2");
    EXPECT_EQ(screen.position.caption, "Pos  3 -  5:Ana");
    EXPECT_EQ(screen.tractionControl.caption, "TC HIGH");
    EXPECT_EQ(screen.abs.caption, "ABS LOW");
    EXPECT_TRUE(screen.pitLimiter.lit && screen.position.lit && screen.tractionControl.lit &&
                screen.abs.lit);
    EXPECT_TRUE(screen.ignition.lit && screen.engine.lit);
    EXPECT_FALSE(screen.inPits.lit);
    EXPECT_EQ(screen.speed.text, " 100");
    EXPECT_EQ(screen.speed.value, 100);
    EXPECT_EQ(screen.rpm.text, " 6684");
    EXPECT_NEAR(screen.rpm.maximum, 900 * 9.549 + 100, 1e-3);
    EXPECT_FLOAT_EQ(static_cast<float>(screen.throttleBar.value), 100);
    EXPECT_FLOAT_EQ(static_cast<float>(screen.brakeBar.value), 0.001F);
    EXPECT_EQ(screen.tyreTemp[0][0].background, ColourOk);
    EXPECT_EQ(screen.tyreTemp[0][2].background, ColourLow);
    EXPECT_EQ(screen.tyrePressure[3].background, ColourOk);
}

TEST_F(DisplayPhaseTest, EngineSpeedAndRoadSpeedHaveTheirFloors) {
    TelemetrySample s = running();
    s.EngineSpeed = 0;
    s.WheelSpeed = {0, 0, 0, 0};
    show(s);
    EXPECT_EQ(screen.rpm.text, " 0");
    EXPECT_EQ(screen.speed.text, " 0");
    EXPECT_FALSE(screen.engine.lit);
    s.EngineSpeed = 2000;
    s.WheelSpeed = {-20, -20, -20, -20};
    show(s);
    EXPECT_EQ(screen.speed.text, " 0");
    EXPECT_EQ(screen.rpm.text, " 8694");
    s.EngineSpeed = 1.0F;
    show(s);
    EXPECT_FALSE(screen.engine.lit);
    s.EngineSpeed = 1.01F;
    show(s);
    EXPECT_TRUE(screen.engine.lit);
}

TEST_F(DisplayPhaseTest, KeepsTheFuelBookkeepingAcrossLaps) {
    TelemetrySample s = running();
    screen.fuelUsedLastLap = "design";
    // The first sample registers the lap: no lap lies behind it, so nothing is shown.
    show(s);
    EXPECT_EQ(screen.fuelUsedLastLap, "design");
    s.Fuel = 42.8F;
    show(s);
    EXPECT_EQ(screen.fuelUsedLastLap, "design");
    s.LapNumber = 4;
    show(s);
    EXPECT_EQ(screen.fuelUsedLastLap, "2,50L");
    // A stop with the ignition off refuels the car; the next lap counts from ignition-on.
    s.Ignition = 0;
    s.Fuel = 60;
    show(s);
    s.Ignition = 1;
    show(s);
    EXPECT_EQ(book.lapStartFuel(), 60);
    EXPECT_EQ(screen.fuelUsedLastLap, "2,50L");
    s.LapNumber = 5;
    s.Fuel = 57;
    show(s);
    EXPECT_EQ(screen.fuelUsedLastLap, "3,00L");
    // A restarted race counts as a lap change.
    s.LapNumber = 1;
    s.Fuel = 56;
    show(s);
    EXPECT_EQ(screen.fuelUsedLastLap, "1,00L");

    // Started with the ignition off, the ignition-on registers the lap: its fuel counts.
    book = LapBook{};
    s.Ignition = 0;
    s.LapNumber = 2;
    s.Fuel = 50;
    show(s);
    s.Ignition = 1;
    show(s);
    s.LapNumber = 3;
    s.Fuel = 47;
    show(s);
    EXPECT_EQ(screen.fuelUsedLastLap, "3,00L");

    // A replay moved back to a fuller tank: no lap lies behind the next change.
    book.forget();
    phase.forgetLap();
    EXPECT_EQ(screen.fuelUsedLastLap, "");
    s.LapNumber = 3;
    s.Fuel = 58;
    show(s);
    EXPECT_EQ(screen.fuelUsedLastLap, "");
    s.LapNumber = 4;
    s.Fuel = 55.5F;
    show(s);
    EXPECT_EQ(screen.fuelUsedLastLap, "2,50L");
    // Moved again, the lap changes while the window shows nothing: it shows the lap's fuel
    // with its next sample.
    book.forget();
    phase.forgetLap();
    s.Fuel = 58;
    book.take(s, state.followed.SlotMode);
    s.LapNumber = 5;
    s.Fuel = 57;
    book.take(s, state.followed.SlotMode);
    show(s);
    EXPECT_EQ(screen.fuelUsedLastLap, "1,00L");
}

TEST_F(DisplayPhaseTest, FollowingTheLocalCarFreezesWhileTheIgnitionIsOff) {
    TelemetrySample s = running();
    show(s);
    s.Ignition = 0;
    s.CarName = "Other";
    s.Gear = 0;
    s.Throttle = 50;
    s.EngineSpeed = 0;
    show(s);
    EXPECT_EQ(screen.carName, "Lince Turbo");
    EXPECT_EQ(screen.gear, " 4");
    EXPECT_EQ(screen.throttle, "50");
    EXPECT_FALSE(screen.ignition.lit);
    EXPECT_FALSE(screen.engine.lit);
    state.followed.SlotMode = runtime::FollowedCar::Monitor;
    show(s);
    EXPECT_EQ(screen.carName, "Other");
}

TEST_F(DisplayPhaseTest, AFailureLeavesTheLaterElementsAsTheyWere) {
    show(running());
    TelemetrySample s = running();
    s.Gear = 5;
    s.TrackName = "Elsewhere";
    s.TyreTemp[telemetry::FR][1] = 40000;
    s.TyrePressure[telemetry::FL] = 200;
    EXPECT_THROW(show(s), core::RunTimeError);
    EXPECT_EQ(screen.gear, " 5");
    EXPECT_EQ(screen.tyreTemp[1][0].text, " 0");
    EXPECT_EQ(screen.tyreTemp[1][1].text, " 0");
    EXPECT_EQ(screen.tyrePressure[0].text, " 0kPA");
    EXPECT_EQ(screen.trackName, "Anella Sud");
    // The weather lines come after the tyres.
    s.AmbientTemp = 30;
    EXPECT_THROW(show(s), core::RunTimeError);
    EXPECT_EQ(screen.ambientTemp, "Amb: 00\u00BAC");
}

TEST_F(DisplayPhaseTest, LampsWearAndRoadSpeedFollowTheirRules) {
    struct Case {
        const char *what;
        void (*change)(TelemetrySample &);
        bool (*holds)(const Screen &);
    };
    const Case cases[] = {
        {"the limiter lights for 1 only", [](TelemetrySample &s) { s.PitLimiter = 2; },
         [](const Screen &v) { return !v.pitLimiter.lit; }},
        {"the pits lamp lights for any other value than 0",
         [](TelemetrySample &s) { s.InPits = 2; }, [](const Screen &v) { return v.inPits.lit; }},
        {"the ignition lamp lights for 1 only", [](TelemetrySample &s) { s.Ignition = 2; },
         [](const Screen &v) { return !v.ignition.lit; }},
        {"a wear of exactly 0 is taken as 1",
         [](TelemetrySample &s) { s.TyreWear[telemetry::FL] = 0; },
         [](const Screen &v) { return v.tyreWear[0] == "0,0"; }},
        {"a standing wheel is left out of the road speed",
         [](TelemetrySample &s) {
             s.WheelSpeed = {0, 90, 120, 0};
         },
         [](const Screen &v) { return v.speed.text == " 105"; }},
        {"a wheel turning backwards still counts",
         [](TelemetrySample &s) {
             s.WheelSpeed = {10, -2, 0, 0};
         },
         [](const Screen &v) { return v.speed.text == " 4"; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        state.followed.SlotMode =
            runtime::FollowedCar::Monitor; // the ignition does not hold the display
        TelemetrySample s = running();
        c.change(s);
        show(s);
        EXPECT_TRUE(c.holds(screen));
        show(running());
    }
}

TEST_F(DisplayPhaseTest, ImperialUnitsConvertTheSampleAndTheRegisteredFuel) {
    TelemetrySample s = running();
    s.TyrePressure = {180, 180, 180, 180};
    s.TyreTemp[telemetry::RR] = {80, 100, 99.9F};
    show(s);
    state.settings.Unitats = core::Units::Imperial;
    Canvia_Unitats(state.store, state.settings, screen, display, book);
    EXPECT_NEAR(book.lapStartFuel(), 45.3 * 0.264172052358, 1e-5);
    s.LapNumber = 4;
    s.Fuel = 41.3F;
    show(s);
    EXPECT_EQ(screen.tyrePressure[0].text, " 26PSI");
    EXPECT_EQ(screen.fuelUsedLastLap, "1,06G");
    EXPECT_EQ(screen.fuel, "10,91G");
    // 80, 100 and 99.9 degrees Celsius against 176 and 212 degrees Fahrenheit.
    EXPECT_EQ(screen.tyreTemp[3][0].background, ColourOk);
    EXPECT_EQ(screen.tyreTemp[3][1].background, ColourHigh);
    EXPECT_EQ(screen.tyreTemp[3][2].background, ColourOk);
    EXPECT_EQ(screen.speed.text, " 62");
    s.AmbientTemp = 4.5F;
    s.TrackTemp = -3;
    show(s);
    EXPECT_EQ(screen.ambientTemp, "Amb: 40\u00BAF");
    EXPECT_EQ(screen.trackTemp, "Tr: 27\u00BAF");
    // And back: the registered fuel returns to litres.
    state.settings.Unitats = core::Units::Metric;
    Canvia_Unitats(state.store, state.settings, screen, display, book);
    EXPECT_NEAR(book.lapStartFuel(), 41.3, 1e-4);
}

TEST_F(DisplayPhaseTest, GraphicsOffKeepsBarsEmptyWhileTheirTextsMove) {
    state.settings.NoGrafics = true;
    TelemetrySample s = running();
    s.WheelSpeed = {100, 50, 100, 100};
    show(s);
    EXPECT_EQ(screen.rpm.value, 0);
    EXPECT_EQ(screen.speed.value, 0);
    EXPECT_EQ(screen.speed.text, " 88");
    // Nothing takes a threshold colour or a wheel-lock mark.
    for (Reading *reading : valueReadings(screen)) {
        EXPECT_EQ(reading->background, Reading{}.background);
    }
    EXPECT_EQ(screen.wheelLocked, (std::array<bool, 4>{}));
}

TEST_F(DisplayPhaseTest, DebugLinesOnlyWhileDebugging) {
    show(running());
    EXPECT_EQ(phase.debugLines(), DebugLines{});
    const auto &lines = phase.debugLines().line;
    state.settings.Depurar = true;
    state.ProcessStartTick = 990;
    TelemetrySample s = running();
    s.LastLapTime = 83.456F;
    s.LapNumber = 4;
    show(s);
    EXPECT_EQ(lines[1], "Ultima Volta:  83.456");
    // The debug values come before this sample's lap change: the previous registration.
    EXPECT_EQ(lines[2], "Regvolta:  3");
    EXPECT_EQ(lines[3], "Benzina:  45.3");
    EXPECT_EQ(lines[4], "Benzina inicial:  45.3");
    EXPECT_EQ(lines[5], "Numero Volta:  4");
    EXPECT_EQ(lines[6], "Contacte:  1");
    EXPECT_EQ(lines[20], " 10");
}

TEST(Warnings, ColoursFollowTheThresholds) {
    struct Case {
        float value;
        std::int16_t minimum;
        std::int16_t maximum;
        Colour colour;
    };
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const Case cases[] = {
        {79.9F, 80, 100, ColourLow},
        {80, 80, 100, ColourOk},
        {99.9F, 80, 100, ColourOk},
        {100, 80, 100, ColourHigh},
        {250, 80, 100, ColourHigh},
        {nan, 80, 100, ColourLow},
        // Inverted pair: from the maximum up to the minimum is high.
        {90, 100, 80, ColourHigh},
        {70, 100, 80, ColourLow},
        {110, 100, 80, ColourHigh},
    };
    EXPECT_EQ(ColourLow, rgb(0, 192, 192));
    EXPECT_EQ(ColourOk, rgb(128, 255, 128));
    EXPECT_EQ(ColourHigh, rgb(255, 128, 128));
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(thresholdColour(c.value, c.minimum, c.maximum), c.colour);
    }
}

TEST(Warnings, AidLampsFollowTheirLevels) {
    const struct {
        std::int16_t level;
        bool lit;
        const char *caption;
    } cases[] = {{2, true, "TC HIGH"}, {3, true, "TC HIGH"}, {0, false, "TC"}, {1, true, "TC LOW"}};
    Screen screen;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.level);
        showAidLevel(screen.tractionControl, c.level, "TC", "TC LOW", "TC HIGH");
        EXPECT_EQ(screen.tractionControl.lit, c.lit);
        EXPECT_EQ(screen.tractionControl.caption, c.caption);
    }
}

TEST(Warnings, MarkersShowWheelsBelowNinetyPercent) {
    Screen screen;
    TelemetrySample s;
    s.WheelSpeed = {89.9, 90, 100, 120};
    showWheelLocks(screen, s, 100);
    EXPECT_EQ(screen.wheelLocked, (std::array<bool, 4>{true, false, false, false}));
    s.WheelSpeed = {0, 0, 0, 0};
    showWheelLocks(screen, s, 1.0);
    EXPECT_FALSE(screen.wheelLocked[0]);
    showWheelLocks(screen, s, std::nan(""));
    EXPECT_FALSE(screen.wheelLocked[0]);
}

} // namespace
} // namespace ostrelo::dashboard
