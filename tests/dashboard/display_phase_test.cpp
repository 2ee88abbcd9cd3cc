// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/error.h"
#include "dashboard/colours.h"
#include "dashboard/display_phase.h"
#include "dashboard/units.h"
#include "dashboard/warnings.h"
#include "fakes/recording_view.h"
#include "i18n/language_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace ostrelo::dashboard {
namespace {

using core::Label;
using telemetry::TelemetrySample;

struct RecordingDebug : DebugView {
    void setDebugLine(int label, std::string_view text) override { lines[label] = text; }
    std::map<int, std::string> lines;
};

class DisplayPhaseTest : public ::testing::Test {
protected:
    DisplayPhaseTest() {
        state.texts = i18n::findLanguage("English")->texts;
        display.decimalSeparator = ',';
        Canvia_Unitats(state, view, display);
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

    void show(TelemetrySample s) { phase.show(s); }

    core::AppState state;
    testing::RecordingView view;
    DisplayState display;
    std::int32_t clock = 1000;
    DisplayPhase phase{state, view, display, [this] { return clock; }};
};

TEST_F(DisplayPhaseTest, WritesEveryElementOfASample) {
    state.CarSlot = 5;
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
    EXPECT_EQ(view.caption(Label::Label2), " 84");
    EXPECT_EQ(view.caption(Label::Label3), " 86");
    EXPECT_EQ(view.caption(Label::Label27), " 190kPA");
    EXPECT_EQ(view.caption(Label::Label45), " 450\u00BAC");
    EXPECT_EQ(view.caption(Label::Label41), "Amb: 04\u00BAC");
    EXPECT_EQ(view.caption(Label::Label42), "Tr: -03\u00BAC");
    EXPECT_EQ(view.caption(Label::Label22), "Best: 1:23,456");
    EXPECT_EQ(view.caption(Label::Label23), "Last: -:--,---");
    EXPECT_EQ(view.caption(Label::Label35), "100");
    EXPECT_EQ(view.caption(Label::Label36), "0");
    EXPECT_EQ(view.caption(Label::Label14), " 4");
    EXPECT_EQ(view.caption(Label::Label32), " 3");
    EXPECT_EQ(view.caption(Label::Label16), "45,30L");
    EXPECT_EQ(view.caption(Label::Label30), "Lince Turbo");
    EXPECT_EQ(view.caption(Label::Label28), "Anella Sud");
    EXPECT_EQ(view.caption(Label::Label37), "3,2");
    EXPECT_EQ(view.lampCaptions[3], "Pos  3 -  5:Ana");
    EXPECT_EQ(view.lampCaptions[4], "TC HIGH");
    EXPECT_EQ(view.lampCaptions[5], "ABS LOW");
    EXPECT_TRUE(view.lampLit[1] && view.lampLit[3] && view.lampLit[4] && view.lampLit[5]);
    EXPECT_TRUE(view.lampLit[6] && view.lampLit[7]);
    EXPECT_FALSE(view.lampLit[2]);
    EXPECT_EQ(view.bars[4].text, " 100");
    EXPECT_EQ(view.bars[4].value, 100);
    EXPECT_EQ(view.bars[3].text, " 6684");
    EXPECT_NEAR(view.bars[3].maximum, 900 * 9.549 + 100, 1e-3);
    EXPECT_FLOAT_EQ(static_cast<float>(view.bars[1].value), 100);
    EXPECT_FLOAT_EQ(static_cast<float>(view.bars[2].value), 0.001F);
    EXPECT_EQ(view.backgrounds[Label::Label2], ColourOk);
    EXPECT_EQ(view.backgrounds[Label::Label4], ColourLow);
    EXPECT_EQ(view.backgrounds[Label::Label27], ColourOk);
    EXPECT_EQ(state.CurrentCarName, "Lince Turbo");
}

TEST_F(DisplayPhaseTest, EngineSpeedAndRoadSpeedHaveTheirFloors) {
    TelemetrySample s = running();
    s.EngineSpeed = 0;
    s.WheelSpeed = {0, 0, 0, 0};
    show(s);
    EXPECT_EQ(view.bars[3].text, " 0");
    EXPECT_EQ(view.bars[4].text, " 0");
    EXPECT_FALSE(view.lampLit[7]);
    s.EngineSpeed = 2000;
    s.WheelSpeed = {-20, -20, -20, -20};
    show(s);
    EXPECT_EQ(view.bars[4].text, " 0");
    EXPECT_EQ(view.bars[3].text, " 8694");
    s.EngineSpeed = 1.0F;
    show(s);
    EXPECT_FALSE(view.lampLit[7]);
    s.EngineSpeed = 1.01F;
    show(s);
    EXPECT_TRUE(view.lampLit[7]);
}

TEST_F(DisplayPhaseTest, KeepsTheFuelBookkeepingAcrossLaps) {
    TelemetrySample s = running();
    view.setCaption(Label::Label34, "design");
    // The first sample registers the lap: no lap lies behind it, so nothing is shown.
    show(s);
    EXPECT_EQ(view.caption(Label::Label34), "design");
    s.Fuel = 42.8F;
    show(s);
    EXPECT_EQ(view.caption(Label::Label34), "design");
    s.LapNumber = 4;
    show(s);
    EXPECT_EQ(view.caption(Label::Label34), "2,50L");
    // A stop with the ignition off refuels the car; the next lap counts from ignition-on.
    s.Ignition = 0;
    s.Fuel = 60;
    show(s);
    s.Ignition = 1;
    show(s);
    EXPECT_EQ(display.LapStartFuel, 60);
    EXPECT_EQ(view.caption(Label::Label34), "2,50L");
    s.LapNumber = 5;
    s.Fuel = 57;
    show(s);
    EXPECT_EQ(view.caption(Label::Label34), "3,00L");
    // A restarted race counts as a lap change.
    s.LapNumber = 1;
    s.Fuel = 56;
    show(s);
    EXPECT_EQ(view.caption(Label::Label34), "1,00L");

    // Started with the ignition off, the ignition-on registers the lap: its fuel counts.
    display = DisplayState{};
    display.decimalSeparator = ',';
    s.Ignition = 0;
    s.LapNumber = 2;
    s.Fuel = 50;
    show(s);
    s.Ignition = 1;
    show(s);
    s.LapNumber = 3;
    s.Fuel = 47;
    show(s);
    EXPECT_EQ(view.caption(Label::Label34), "3,00L");
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
    EXPECT_EQ(view.caption(Label::Label30), "Lince Turbo");
    EXPECT_EQ(view.caption(Label::Label14), " 4");
    EXPECT_EQ(view.caption(Label::Label35), "50");
    EXPECT_FALSE(view.lampLit[6]);
    EXPECT_FALSE(view.lampLit[7]);
    state.SlotMode = core::FollowedCar::Monitor;
    show(s);
    EXPECT_EQ(view.caption(Label::Label30), "Other");
}

TEST_F(DisplayPhaseTest, AFailureLeavesTheLaterElementsAsTheyWere) {
    show(running());
    TelemetrySample s = running();
    s.Gear = 5;
    s.TrackName = "Elsewhere";
    s.TyreTemp[telemetry::FR][1] = 40000;
    s.TyrePressure[telemetry::FL] = 200;
    EXPECT_THROW(show(s), core::RunTimeError);
    EXPECT_EQ(view.caption(Label::Label14), " 5");
    EXPECT_EQ(view.caption(Label::Label5), " 0");
    EXPECT_EQ(view.caption(Label::Label6), " 0");
    EXPECT_EQ(view.caption(Label::Label24), " 0kPA");
    EXPECT_EQ(view.caption(Label::Label28), "Anella Sud");
    // The weather lines come after the tyres.
    s.AmbientTemp = 30;
    EXPECT_THROW(show(s), core::RunTimeError);
    EXPECT_EQ(view.caption(Label::Label41), "Amb: 00\u00BAC");
}

TEST_F(DisplayPhaseTest, LampsWearAndRoadSpeedFollowTheirRules) {
    struct Case {
        const char *what;
        void (*change)(TelemetrySample &);
        bool (*holds)(const testing::RecordingView &);
    };
    const Case cases[] = {
        {"the limiter lights for 1 only", [](TelemetrySample &s) { s.PitLimiter = 2; },
         [](const testing::RecordingView &v) { return !v.lampLit.at(1); }},
        {"the pits lamp lights for any other value than 0",
         [](TelemetrySample &s) { s.InPits = 2; },
         [](const testing::RecordingView &v) { return v.lampLit.at(2); }},
        {"the ignition lamp lights for 1 only", [](TelemetrySample &s) { s.Ignition = 2; },
         [](const testing::RecordingView &v) { return !v.lampLit.at(6); }},
        {"a wear of exactly 0 is taken as 1",
         [](TelemetrySample &s) { s.TyreWear[telemetry::FL] = 0; },
         [](const testing::RecordingView &v) { return v.caption(Label::Label37) == "0,0"; }},
        {"a standing wheel is left out of the road speed",
         [](TelemetrySample &s) {
             s.WheelSpeed = {0, 90, 120, 0};
         },
         [](const testing::RecordingView &v) { return v.bars.at(4).text == " 105"; }},
        {"a wheel turning backwards still counts",
         [](TelemetrySample &s) {
             s.WheelSpeed = {10, -2, 0, 0};
         },
         [](const testing::RecordingView &v) { return v.bars.at(4).text == " 4"; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        state.SlotMode = core::FollowedCar::Monitor; // the ignition does not hold the display
        TelemetrySample s = running();
        c.change(s);
        show(s);
        EXPECT_TRUE(c.holds(view));
        show(running());
    }
}

TEST_F(DisplayPhaseTest, AServerThatHidesItsDataWritesNothing) {
    state.settings.TipusConexio = core::ConnectionMode::Server;
    state.settings.DadesServ = false;
    view.writes = 0;
    show(running());
    EXPECT_EQ(view.writes, 0);
    state.settings.DadesServ = true;
    show(running());
    EXPECT_EQ(view.caption(Label::Label30), "Lince Turbo");
}

TEST_F(DisplayPhaseTest, ImperialUnitsConvertTheSampleAndTheRegisteredFuel) {
    TelemetrySample s = running();
    s.TyrePressure = {180, 180, 180, 180};
    s.TyreTemp[telemetry::RR] = {80, 100, 99.9F};
    show(s);
    chooseUnits(state, view, display, core::Units::Imperial);
    EXPECT_NEAR(display.LapStartFuel, 45.3 * 0.264172052358, 1e-5);
    s.LapNumber = 4;
    s.Fuel = 41.3F;
    show(s);
    EXPECT_EQ(view.caption(Label::Label24), " 26PSI");
    EXPECT_EQ(view.caption(Label::Label34), "1,06G");
    EXPECT_EQ(view.caption(Label::Label16), "10,91G");
    // 80, 100 and 99.9 degrees Celsius against 176 and 212 degrees Fahrenheit.
    EXPECT_EQ(view.backgrounds[Label::Label11], ColourOk);
    EXPECT_EQ(view.backgrounds[Label::Label12], ColourHigh);
    EXPECT_EQ(view.backgrounds[Label::Label13], ColourOk);
    EXPECT_EQ(view.bars[4].text, " 62");
    s.AmbientTemp = 4.5F;
    s.TrackTemp = -3;
    show(s);
    EXPECT_EQ(view.caption(Label::Label41), "Amb: 40\u00BAF");
    EXPECT_EQ(view.caption(Label::Label42), "Tr: 27\u00BAF");
}

TEST_F(DisplayPhaseTest, GraphicsOffKeepsBarsEmptyWhileTheirTextsMove) {
    state.settings.NoGrafics = true;
    view.bars.clear();
    view.backgrounds.clear();
    view.markers.clear();
    TelemetrySample s = running();
    s.WheelSpeed = {100, 50, 100, 100};
    show(s);
    EXPECT_EQ(view.bars[3].value, 0);
    EXPECT_EQ(view.bars[4].value, 0);
    EXPECT_EQ(view.bars[4].text, " 88");
    EXPECT_TRUE(view.backgrounds.empty());
    EXPECT_TRUE(view.markers.empty());
}

TEST_F(DisplayPhaseTest, DebugLinesOnlyWhileDebugging) {
    RecordingDebug debug;
    phase.setDebugView(&debug);
    show(running());
    EXPECT_TRUE(debug.lines.empty());
    state.settings.Depurar = true;
    state.ProcessStartTick = 990;
    TelemetrySample s = running();
    s.LastLapTime = 83.456F;
    s.LapNumber = 4;
    show(s);
    EXPECT_EQ(debug.lines[1], "Ultima Volta:  83.456");
    // The debug values come before this sample's lap change: the previous registration.
    EXPECT_EQ(debug.lines[2], "Regvolta:  3");
    EXPECT_EQ(debug.lines[3], "Benzina:  45.3");
    EXPECT_EQ(debug.lines[4], "Benzina inicial:  45.3");
    EXPECT_EQ(debug.lines[5], "Numero Volta:  4");
    EXPECT_EQ(debug.lines[6], "Contacte:  1");
    EXPECT_EQ(debug.lines[20], " 10");
}

TEST(Warnings, ColoursFollowTheThresholds) {
    struct Case {
        float value;
        std::int16_t minimum;
        std::int16_t maximum;
        core::Colour colour;
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
    for (const Case &c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(thresholdColour(c.value, c.minimum, c.maximum), c.colour);
    }
}

TEST(Warnings, AidLampsFollowTheirLevels) {
    testing::RecordingView view;
    const std::string off = "TC";
    const std::string low = "TC LOW";
    const std::string high = "TC HIGH";
    showAidLevel(view, 4, 2, off, low, high);
    EXPECT_TRUE(view.lampLit[4]);
    EXPECT_EQ(view.lampCaptions[4], "TC HIGH");
    showAidLevel(view, 4, 3, off, low, high);
    EXPECT_TRUE(view.lampLit[4]);
    EXPECT_EQ(view.lampCaptions[4], "TC HIGH");
    showAidLevel(view, 4, 0, off, low, high);
    EXPECT_FALSE(view.lampLit[4]);
    EXPECT_EQ(view.lampCaptions[4], "TC");
    showAidLevel(view, 4, 1, off, low, high);
    EXPECT_EQ(view.lampCaptions[4], "TC LOW");
}

TEST(Warnings, MarkersShowWheelsBelowNinetyPercent) {
    testing::RecordingView view;
    TelemetrySample s;
    s.WheelSpeed = {89.9, 90, 100, 120};
    showWheelLocks(view, s, 100);
    EXPECT_TRUE(view.markers[1]);
    EXPECT_FALSE(view.markers[2]);
    EXPECT_FALSE(view.markers[3]);
    EXPECT_FALSE(view.markers[4]);
    s.WheelSpeed = {0, 0, 0, 0};
    showWheelLocks(view, s, 1.0);
    EXPECT_FALSE(view.markers[1]);
    showWheelLocks(view, s, std::nan(""));
    EXPECT_FALSE(view.markers[1]);
}

} // namespace
} // namespace ostrelo::dashboard
