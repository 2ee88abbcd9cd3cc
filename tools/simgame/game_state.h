// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace ostrelo::simgame {

/// One car of the field as the game keeps it.
struct SlotState {
    std::string driverName;
    std::string carName;
    std::int32_t position = 0;
    std::int32_t lapCount = 0;
    float fuel = 0;
    float engineSpeed = 0;    // rad/s
    float engineSpeedMax = 0; // rad/s
    std::int32_t gear = 0;
    float lastLapTime = 0; // seconds
    float bestLapTime = 0; // seconds
    std::uint8_t inPits = 0;
};

/// One wheel as the game keeps it (doubles, kelvin).
struct WheelState {
    double spin = 0; // rad/s, negative rolling forward
    double radius = 0.32;
    std::array<double, 3> tread{};
    double pressure = 0; // kPa
    double wear = 1;     // fraction
    double brake = 0;    // kelvin
};

/// Everything the simulated game publishes at the telemetry addresses, in the game's units.
struct GameState {
    static constexpr int kSlots = 64;
    std::array<SlotState, kSlots> cars{};
    std::array<WheelState, 4> wheels{};
    double oilTemp = 0;   // kelvin
    double waterTemp = 0; // kelvin
    std::uint8_t pitLimiter = 0;
    std::uint8_t ignition = 0;
    std::uint8_t tractionControl = 0;
    std::uint8_t absLevel = 0;
    float throttle = 0; // 0 to 1
    float brake = 0;    // 0 to 1
    float trackTemp = 0;
    float ambientTemp = 0;
    std::string trackPath;   // folder\name.ext
    std::string localDriver; // name\...
    std::int32_t monitorSlot = 0;
};

} // namespace ostrelo::simgame
