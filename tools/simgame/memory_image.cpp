// SPDX-License-Identifier: GPL-3.0-or-later
#include "memory_image.h"

#include "acquisition/address_map.h"
#include "core/text_encoding.h"

#include <cstring>

namespace ostrelo::simgame {
namespace {

namespace address = acquisition::address;

template <typename T> void put(std::int32_t at, T value) {
    std::memcpy(reinterpret_cast<void *>(static_cast<std::uintptr_t>(at)), &value, sizeof value);
}

// Text as the game stores it: Windows-1252, NUL-terminated within `size` bytes.
void putText(std::int32_t at, const std::string &utf8, std::size_t size) {
    std::string bytes = core::toWindows1252(utf8);
    bytes.resize(size - 1, '\0');
    bytes.push_back('\0');
    std::memcpy(reinterpret_cast<void *>(static_cast<std::uintptr_t>(at)), bytes.data(), size);
}

} // namespace

void MemoryImage::publish(const GameState &state) {
    if (!mapped()) {
        return;
    }
    for (std::int16_t slot = 0; slot < GameState::kSlots; ++slot) {
        const SlotState &car = state.cars[static_cast<std::size_t>(slot)];
        auto field = [slot](std::int32_t at) { return address::slotField(slot, at); };
        put(field(address::InPits), car.inPits);
        put(field(address::Fuel), car.fuel);
        put(field(address::EngineSpeed), car.engineSpeed);
        put(field(address::EngineSpeedMax), car.engineSpeedMax);
        put(field(address::Gear), car.gear);
        put(field(address::LapCount), car.lapCount);
        put(field(address::LastLapTime), car.lastLapTime);
        put(field(address::Position), car.position);
        put(field(address::BestLapTime), car.bestLapTime);
        putText(field(address::DriverName), car.driverName, 24);
        putText(field(address::CarName), car.carName, 50);
    }
    for (int wheel = 0; wheel < 4; ++wheel) {
        const WheelState &w = state.wheels[static_cast<std::size_t>(wheel)];
        put(address::wheelField(wheel, address::WheelSpin), w.spin);
        put(address::wheelField(wheel, address::WheelRadius), w.radius);
        for (int zone = 0; zone < 3; ++zone) {
            put(address::wheelField(wheel, address::WheelTread + 8 * zone),
                w.tread[static_cast<std::size_t>(zone)]);
        }
        put(address::wheelField(wheel, address::WheelPressure), w.pressure);
        put(address::wheelField(wheel, address::WheelWear), w.wear);
        put(address::wheelField(wheel, address::WheelBrake), w.brake);
    }
    put(address::OilTemp, state.oilTemp);
    put(address::WaterTemp, state.waterTemp);
    put(address::PitLimiter, state.pitLimiter);
    put(address::Ignition, state.ignition);
    put(address::TractionControl, state.tractionControl);
    put(address::AbsLevel, state.absLevel);
    put(address::Throttle, state.throttle);
    put(address::Brake, state.brake);
    put(address::TrackTemp, state.trackTemp);
    put(address::AmbientTemp, state.ambientTemp);
    putText(address::TrackName, state.trackPath, 50);
    putText(address::LocalDriver, state.localDriver, 30);
    put(address::MonitorSlot, state.monitorSlot);
}

} // namespace ostrelo::simgame
