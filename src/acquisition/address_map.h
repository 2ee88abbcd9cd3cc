// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace ostrelo::acquisition {

/// Where the game keeps its telemetry. The same addresses hold for RACE 07 and GTR Evolution.
namespace address {

/// Distance in bytes between two records of the 64-slot car array.
inline constexpr std::int32_t SlotStride = 33632;
/// Number of car slots.
inline constexpr int kSlotCount = 64;

// Fields of the car slot array, at their slot-0 address.
inline constexpr std::int32_t InPits = 0xA03A6C;         // byte
inline constexpr std::int32_t Fuel = 0xA040F8;           // float, litres
inline constexpr std::int32_t EngineSpeed = 0xA04118;    // float, rad/s
inline constexpr std::int32_t EngineSpeedMax = 0xA0411C; // float, rad/s
inline constexpr std::int32_t Gear = 0xA04174;           // int32
inline constexpr std::int32_t LapCount = 0xA05CFC;       // int32, laps completed
inline constexpr std::int32_t LastLapTime = 0xA05D10;    // float, seconds
inline constexpr std::int32_t Position = 0xA05D24;       // int32
inline constexpr std::int32_t BestLapTime = 0xA05DCC;    // float, seconds
inline constexpr std::int32_t DriverName = 0xA06630;     // 24 bytes of text
inline constexpr std::int32_t CarName = 0xA06720;        // 50 bytes of text

// The four wheel records FL, FR, RL, RR, and the offsets of their fields (all doubles).
inline constexpr std::int32_t WheelBase = 0xD5F618;
inline constexpr std::int32_t WheelStride = 0x510;
inline constexpr std::int32_t WheelSpin = 0x000;     // rad/s, negative rolling forward
inline constexpr std::int32_t WheelRadius = 0x158;   // metres
inline constexpr std::int32_t WheelTread = 0x300;    // kelvin, zones 8 bytes apart
inline constexpr std::int32_t WheelPressure = 0x328; // kPa
inline constexpr std::int32_t WheelWear = 0x348;     // fraction
inline constexpr std::int32_t WheelBrake = 0x3D0;    // kelvin

// Single locations.
inline constexpr std::int32_t OilTemp = 0xD615A8;         // double, kelvin
inline constexpr std::int32_t WaterTemp = 0xD615E8;       // double, kelvin
inline constexpr std::int32_t PitLimiter = 0xD614A9;      // byte
inline constexpr std::int32_t Ignition = 0xD614AA;        // byte
inline constexpr std::int32_t TractionControl = 0xD5F27C; // byte, 0 to 2
inline constexpr std::int32_t AbsLevel = 0xD5F280;        // byte, 0 to 2
inline constexpr std::int32_t Throttle = 0xD659AC;        // float, 0 to 1
inline constexpr std::int32_t Brake = 0xD659D8;           // float, 0 to 1
inline constexpr std::int32_t TrackTemp = 0x114F928;      // float, degrees Celsius
inline constexpr std::int32_t AmbientTemp = 0x114F924;    // float, degrees Celsius
inline constexpr std::int32_t TrackName = 0x8104DF;       // 50 bytes: folder\name.ext
inline constexpr std::int32_t LocalDriver = 0xD6946D;     // 30 bytes: name\...
inline constexpr std::int32_t MonitorSlot = 0x8133CC;     // int32

/// Address of a per-slot field: slot x SlotStride + its slot-0 address, in signed 32-bit
/// arithmetic. Throws RunTimeError on overflow.
std::int32_t slotField(std::int16_t slot, std::int32_t slotZeroAddress);

/// Address of a wheel field: wheel 0 FL, 1 FR, 2 RL, 3 RR.
constexpr std::int32_t wheelField(int wheel, std::int32_t offset) {
    return WheelBase + wheel * WheelStride + offset;
}

} // namespace address
} // namespace ostrelo::acquisition
