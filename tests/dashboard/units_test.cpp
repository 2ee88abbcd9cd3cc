// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_file.h"
#include "dashboard/colours.h"
#include "dashboard/graphics_mode.h"
#include "dashboard/menus.h"
#include "dashboard/units.h"
#include "runtime/app_state.h"
#include "support/error_capture.h"
#include "telemetry/telemetry_fields.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace ostrelo::dashboard {
namespace {

using dashboard::MenuItem;

class DisplayModes : public ::testing::Test {
protected:
    // The menu's check mark with the settings in force.
    bool checked(MenuItem item) {
        showMenus(screen, state.settings, state.texts);
        return screen.menu(item).checked;
    }

    runtime::AppState state;
    Screen screen;
    DisplayState display;
    LapBook book;
};

TEST_F(DisplayModes, ImperialConvertsAndRoundsTheThresholds) {
    state.settings.Unitats = core::Units::Imperial;
    Canvia_Unitats(state.store, state.settings, screen, display, book);
    const core::Thresholds &t = display.thresholds;
    EXPECT_EQ(t.MinPneu, 176);
    EXPECT_EQ(t.MaxPneu, 212);
    EXPECT_EQ(t.MinMotor, 194);
    EXPECT_EQ(t.MaxMotor, 212);
    EXPECT_EQ(t.MinFrens, 572);
    EXPECT_EQ(t.MaxFrens, 1112);
    EXPECT_EQ(t.MinPress, 26);
    EXPECT_EQ(t.MaxPress, 32);
    EXPECT_EQ(display.TempUnit, "\u00BAF");
    EXPECT_EQ(display.FuelUnit, "G");
    EXPECT_EQ(display.PressureUnit, "PSI");
    EXPECT_EQ(screen.speed.maximum, 220);
    EXPECT_TRUE(checked(MenuItem::Imperial) && !checked(MenuItem::Metrico));
    EXPECT_EQ(state.store.read("Opcions", "Unitats", ""), "Imperial");

    // The factors to their last digit: a pressure, fuel or speed a hair off shows wrong.
    EXPECT_DOUBLE_EQ(toPsi(1000), 145.1352418559);
    EXPECT_DOUBLE_EQ(toGallons(1000), 264.172052358);
    EXPECT_DOUBLE_EQ(toMph(1000), 621.371192237);
    EXPECT_DOUBLE_EQ(toFahrenheit(-40), -40);

    state.settings.Unitats = core::Units::Metric;
    Canvia_Unitats(state.store, state.settings, screen, display, book);
    EXPECT_EQ(display.thresholds.MinPress, 180);
    EXPECT_EQ(display.thresholds.MaxFrens, 600);
    EXPECT_EQ(display.TempUnit, "\u00BAC");
    EXPECT_EQ(display.PressureUnit, "kPA");
    EXPECT_EQ(screen.speed.maximum, 350);
    EXPECT_TRUE(checked(MenuItem::Metrico) && !checked(MenuItem::Imperial));
}

TEST(ConvertToImperial, ConvertsEachMeasuredFieldByItsFactorAndNothingElse) {
    telemetry::TelemetrySample s;
    float value = 1;
    // Every number distinct, so that a field converted by another's factor shows.
    telemetry::forEachWireField(s, [&value](const telemetry::FieldName &, auto &&field) {
        using T = std::decay_t<decltype(field)>;
        if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>) {
            field = static_cast<T>(value += 1);
        }
    });
    const telemetry::TelemetrySample metric = s;
    convertToImperial(s);
    EXPECT_FLOAT_EQ(s.OilTemp, static_cast<float>(toFahrenheit(metric.OilTemp)));
    EXPECT_FLOAT_EQ(s.BrakeTemp[telemetry::RR],
                    static_cast<float>(toFahrenheit(metric.BrakeTemp[telemetry::RR])));
    EXPECT_FLOAT_EQ(s.TyreTemp[telemetry::FR][2],
                    static_cast<float>(toFahrenheit(metric.TyreTemp[telemetry::FR][2])));
    EXPECT_FLOAT_EQ(s.AmbientTemp, static_cast<float>(toFahrenheit(metric.AmbientTemp)));
    EXPECT_FLOAT_EQ(s.TyrePressure[telemetry::RL],
                    static_cast<float>(toPsi(metric.TyrePressure[telemetry::RL])));
    EXPECT_FLOAT_EQ(s.Fuel, static_cast<float>(toGallons(metric.Fuel)));
    EXPECT_DOUBLE_EQ(s.WheelSpeed[telemetry::FR], toMph(metric.WheelSpeed[telemetry::FR]));
    EXPECT_EQ(s.EngineSpeed, metric.EngineSpeed);
    EXPECT_EQ(s.Throttle, metric.Throttle);
    EXPECT_EQ(s.TyreWear, metric.TyreWear);
    EXPECT_EQ(s.BestLapTime, metric.BestLapTime);
    // A single that converts beyond the single's range is an overflow, never infinity.
    s.WaterTemp = 3e38F;
    EXPECT_THROW(convertToImperial(s), core::RunTimeError);
}

TEST_F(DisplayModes, AThresholdThatOverflowsInFahrenheitIsReported) {
    state.settings.Unitats = core::Units::Imperial;
    state.settings.MaxFrens = 20000;
    testing::ErrorCapture capture;
    Canvia_Unitats(state.store, state.settings, screen, display, book);
    ASSERT_EQ(capture.reports().size(), 1u);
    EXPECT_EQ(capture.reports()[0].routine, "Canvia_Unitats");
    EXPECT_EQ(state.store.text(), "");
}

TEST_F(DisplayModes, GraphicsOffEmptiesBarsWhitensLabelsAndHidesMarkers) {
    screen.rpm.value = 5000;
    screen.wheelLocked[1] = true;
    state.settings.NoGrafics = true;
    Canvia_Grafics(state.store, state.settings, screen);
    EXPECT_EQ(screen.rpm.value, 0);
    for (Reading *reading : valueReadings(screen)) {
        EXPECT_EQ(reading->background, ColourPlain);
    }
    EXPECT_EQ(screen.wheelLocked, (std::array<bool, 4>{}));
    EXPECT_FALSE(checked(MenuItem::Graficos));
    EXPECT_EQ(state.store.read("Opcions", "NoGrafics", ""), "True");

    state.settings.NoGrafics = false;
    Canvia_Grafics(state.store, state.settings, screen);
    for (Reading *reading : valueReadings(screen)) {
        EXPECT_EQ(reading->background, ColourLow);
    }
    EXPECT_TRUE(checked(MenuItem::Graficos));
    EXPECT_EQ(state.store.read("Opcions", "NoGrafics", ""), "False");
}

} // namespace
} // namespace ostrelo::dashboard
