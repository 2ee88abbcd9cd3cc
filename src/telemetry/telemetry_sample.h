// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ostrelo::telemetry {

/// Wheel order of every per-wheel field.
enum Wheel { FL = 0, FR = 1, RL = 2, RR = 3 };

/// One sample of the followed car, in metric units. Texts are UTF-8.
struct TelemetrySample {
    std::string DriverName;
    float OilTemp = 0;   // degrees Celsius
    float WaterTemp = 0; // degrees Celsius
    std::string SlotName;
    std::int16_t Position = 0;
    float EngineSpeed = 0;    // rad/s
    float EngineSpeedMax = 0; // rad/s
    std::int16_t Ignition = 0;
    std::int16_t LapNumber = 0; // laps completed + 1
    float Fuel = 0;             // litres
    float BestLapTime = 0;      // seconds
    float LastLapTime = 0;      // seconds
    std::int16_t Gear = 0;
    std::array<std::array<float, 3>, 4> TyreTemp{}; // degrees Celsius, per wheel and zone
    std::array<float, 4> TyrePressure{};            // kPa
    std::array<double, 4> WheelSpeed{};             // km/h
    std::array<double, 4> TyreWear{};               // fraction
    std::string TrackName;
    std::int16_t PitLimiter = 0;
    std::int16_t InPits = 0;
    std::int16_t TractionControl = 0;
    std::int16_t AbsLevel = 0;
    float Throttle = 0;               // percent
    float Brake = 0;                  // percent
    float TrackTemp = 0;              // degrees Celsius
    float AmbientTemp = 0;            // degrees Celsius
    std::array<float, 4> BrakeTemp{}; // degrees Celsius
    std::string CarName;

    bool operator==(const TelemetrySample &) const = default;
};

} // namespace ostrelo::telemetry
