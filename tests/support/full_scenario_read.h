// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "telemetry/standings.h"
#include "telemetry/telemetry_sample.h"

#include <gtest/gtest.h>

#include <vector>

namespace ostrelo::testing {

/// Checks what the acquisition read of the simulated game running kFullScenario: the followed
/// car's sample, in the program's units, and the field of twelve cars from the same read.
inline void expectFullScenarioRead(const telemetry::TelemetrySample &s,
                                   const std::vector<telemetry::CarStanding> &cars) {
    using telemetry::FL, telemetry::FR, telemetry::RL, telemetry::RR;
    EXPECT_EQ(s.DriverName, "Marta Vidal");
    EXPECT_EQ(s.SlotName, "Marta Vidal");
    EXPECT_EQ(s.CarName, "Lince Turbo 16V");
    EXPECT_EQ(s.TrackName, "Anella Sud");
    EXPECT_EQ(s.Position, 4);
    EXPECT_EQ(s.LapNumber, 7);
    EXPECT_EQ(s.Gear, 4);
    EXPECT_EQ(s.Ignition, 1);
    EXPECT_EQ(s.InPits, 0);
    EXPECT_EQ(s.PitLimiter, 0);
    EXPECT_EQ(s.TractionControl, 2);
    EXPECT_EQ(s.AbsLevel, 1);
    EXPECT_FLOAT_EQ(s.Fuel, 42.5F);
    EXPECT_FLOAT_EQ(s.EngineSpeed, 700);
    EXPECT_FLOAT_EQ(s.EngineSpeedMax, 921.5F);
    EXPECT_FLOAT_EQ(s.LastLapTime, 98.25F);
    EXPECT_FLOAT_EQ(s.BestLapTime, 97.5F);
    EXPECT_FLOAT_EQ(s.OilTemp, 105);
    EXPECT_FLOAT_EQ(s.WaterTemp, 90);
    EXPECT_FLOAT_EQ(s.Throttle, 75);
    EXPECT_FLOAT_EQ(s.Brake, 12.5F);
    EXPECT_FLOAT_EQ(s.TrackTemp, 31.5F);
    EXPECT_FLOAT_EQ(s.AmbientTemp, 22.25F);
    EXPECT_FLOAT_EQ(s.TyreTemp[FL][0], 80);
    EXPECT_FLOAT_EQ(s.TyreTemp[FL][1], 85);
    EXPECT_FLOAT_EQ(s.TyreTemp[FL][2], 90);
    EXPECT_FLOAT_EQ(s.TyreTemp[RR][2], 110);
    EXPECT_FLOAT_EQ(s.TyrePressure[FL], 190);
    EXPECT_FLOAT_EQ(s.TyrePressure[RR], 205.5F);
    EXPECT_DOUBLE_EQ(s.TyreWear[FL], 0.99);
    EXPECT_DOUBLE_EQ(s.TyreWear[RR], 0.5);
    EXPECT_FLOAT_EQ(s.BrakeTemp[FL], 400);
    EXPECT_FLOAT_EQ(s.BrakeTemp[RR], 300);
    EXPECT_DOUBLE_EQ(s.WheelSpeed[FL], 100);
    EXPECT_DOUBLE_EQ(s.WheelSpeed[FR], 100);
    EXPECT_DOUBLE_EQ(s.WheelSpeed[RL], 100);
    EXPECT_DOUBLE_EQ(s.WheelSpeed[RR], 80);
    ASSERT_EQ(cars.size(), 12u);
    EXPECT_EQ(cars[0].driverName, "Joan Ribas");
    EXPECT_EQ(cars[3].driverName, "Marta Vidal");
    EXPECT_EQ(cars[3].carName, "Lince Turbo 16V");
    EXPECT_EQ(cars[3].position, 4);
    EXPECT_EQ(cars[3].lapsCompleted, 6);
    EXPECT_FLOAT_EQ(cars[3].bestLapTime, 97.5F);
    EXPECT_EQ(cars[11].slot, 11);
}

} // namespace ostrelo::testing
