// SPDX-License-Identifier: GPL-3.0-or-later
#include "car_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace ostrelo::simgame {
namespace {

constexpr double kLapLength = 4200;   // metres
constexpr double kWheelRadius = 0.32; // metres
constexpr double kFinalDrive = 4.1;
constexpr double kMaxRpm = 8800;
constexpr double kRpmToRadPerSecond = 1 / 9.549;
constexpr double kKelvin = 273.15;
constexpr double kFuelPerLap = 2.7; // litres at full throttle
constexpr double kPitEntry = 3900;  // metres; the pit lane runs to the lap line
constexpr double kPitStopSeconds = 8;
constexpr int kLapsBetweenStops = 5;
constexpr double kGearRatios[] = {3.2, 2.3, 1.8, 1.45, 1.2, 1.02};

struct Corner {
    double at;    // metres into the lap
    double speed; // m/s at the apex
};
constexpr Corner kCorners[] = {{600, 24}, {1450, 38}, {2300, 20}, {3100, 45}, {3650, 30}};

const char *const kDrivers[] = {"Joan Ribas", "Lena Fischer", "Tom Baker",   "Marta Vidal",
                                "Luca Ferri", "Anne Dubois",  "Pieter Smit", "Carla Nunes",
                                "Eric Lund",  "Sofia Greco",  "Nils Berg",   "Ines Prado"};
const char *const kCars[] = {"Ostrelo GT Proto", "Falcon RS 2.0", "Nordic Coupe S",
                             "Lince Turbo 16V"};

// Grid order by slot: the local car starts sixth; the last car is far off the pace and is
// lapped within a few laps.
constexpr int kGrid[] = {1, 2, 3, 6, 4, 5, 7, 8, 9, 10, 11, 12};
constexpr double kPaces[] = {0.985, 0.99,  0.995, 1,     1.0,  1.005,
                             1.01,  1.015, 1.02,  1.025, 1.03, 1.2};
constexpr double kGridGap = 8; // metres between two places on the grid
constexpr double kRivalStopSeconds = 18;

double celsius(double c) {
    return c + kKelvin;
}

// The speed a car can carry at a point of the lap, corners and the braking before them.
double trackSpeed(double distance) {
    double target = 75; // flat out on the straights
    for (const Corner &corner : kCorners) {
        // The speed from which the car can still brake to the apex speed in time.
        const double ahead = corner.at - distance;
        const double gap = ahead >= 0 ? ahead : ahead + kLapLength;
        const double brakeFrom = std::sqrt(corner.speed * corner.speed + 2 * 14 * gap);
        target = std::min(target, brakeFrom);
        const double behind = distance - corner.at;
        if (behind >= 0 && behind < 60) {
            target = std::min(target, corner.speed);
        }
    }
    return target;
}

} // namespace

CarModel::CarModel(unsigned seed, std::optional<double> stint) : m_random(seed), m_stint(stint) {
    static_assert(std::size(kDrivers) == kFieldSize && std::size(kGrid) == kFieldSize &&
                  std::size(kPaces) == kFieldSize);
    for (int slot = 0; slot < kFieldSize; ++slot) {
        SlotState &car = m_state.cars[static_cast<std::size_t>(slot)];
        car.driverName = kDrivers[slot];
        car.carName = kCars[slot % std::size(kCars)];
        car.position = kGrid[slot];
        car.fuel = 40;
        car.engineSpeedMax = static_cast<float>(kMaxRpm * kRpmToRadPerSecond);
        Rival &rival = m_rivals[static_cast<std::size_t>(slot)];
        rival.pace = rival.lapPace = kPaces[slot];
        rival.distance = (kGrid[kLocalSlot] - kGrid[slot]) * kGridGap;
        rival.lapsBetweenStops = 6 + slot % 4;
    }
    SlotState &local = m_state.cars[kLocalSlot];
    local.fuel = static_cast<float>(stint.value_or(kTankLitres));
    m_fuelAtLine = local.fuel;
    m_state.localDriver = std::string(kDrivers[kLocalSlot]) + "\\Profiles\\player";
    m_state.monitorSlot = kLocalSlot;
    m_state.trackPath = "Locations\\Anella Sud.trk";
    for (WheelState &wheel : m_state.wheels) {
        wheel.radius = kWheelRadius;
        wheel.tread = {celsius(40), celsius(40), celsius(40)};
        wheel.pressure = 165;
        wheel.brake = celsius(60);
    }
    m_state.oilTemp = celsius(70);
    m_state.waterTemp = celsius(65);
    m_state.ignition = 1;
    m_state.tractionControl = 1;
    m_state.absLevel = 2;
    m_state.ambientTemp = 21.5F;
    m_state.trackTemp = 29.5F;
}

double CarModel::targetSpeed(double distance) const {
    double target = trackSpeed(distance);
    if (m_stopThisLap && distance > kPitEntry) {
        target = std::min(target, 16.0); // pit lane limit, 58 km/h
    }
    return target;
}

void CarModel::drive(double dt) {
    const double target = targetSpeed(m_distance);
    const double difference = target - m_speed;
    if (difference > 0.5) {
        m_state.throttle = static_cast<float>(std::min(1.0, 0.4 + difference / 10));
        m_state.brake = 0;
        m_speed += std::min(difference, 7.5 * dt);
    } else if (difference < -0.5) {
        m_state.throttle = 0;
        m_state.brake = static_cast<float>(std::min(1.0, 0.3 - difference / 8));
        m_speed += std::max(difference, -16.0 * dt);
    } else {
        m_state.throttle = 0.35F;
        m_state.brake = 0;
        m_speed = target;
    }
    m_distance += m_speed * dt;
    SlotState &car = m_state.cars[kLocalSlot];
    car.fuel = std::max(0.0F, car.fuel - static_cast<float>(kFuelPerLap * (0.3 + m_state.throttle) /
                                                            1.3 * m_speed * dt / kLapLength));
    const bool inPitLane = m_stopThisLap && m_distance > kPitEntry;
    m_state.pitLimiter = inPitLane ? 1 : 0;
    car.inPits = inPitLane ? 1 : 0;
    if (m_distance >= kLapLength) {
        m_distance -= kLapLength;
        const bool stop = car.inPits != 0;
        completeLap();
        if (stop) {
            m_pitTime = 0;
            m_stopThisLap = false;
        } else if (m_stint) {
            // As a driver who listens to the radio: in when the fuel would not do this lap,
            // the next and one in reserve.
            m_stopThisLap = car.fuel < 3 * (m_fuelAtLine - car.fuel);
        } else {
            m_stopThisLap = car.lapCount % kLapsBetweenStops == kLapsBetweenStops - 1;
        }
        m_fuelAtLine = car.fuel;
    }
}

void CarModel::pitStop(double dt) {
    // Standing in the box: engine off, refuelling, then off again.
    m_pitTime += dt;
    m_speed = 0;
    m_state.throttle = 0;
    m_state.brake = 0;
    SlotState &car = m_state.cars[kLocalSlot];
    car.inPits = 1;
    m_state.pitLimiter = 1;
    m_state.ignition = m_pitTime > 1 && m_pitTime < kPitStopSeconds - 1 ? 0 : 1;
    car.fuel = std::min(static_cast<float>(m_stint.value_or(kTankLitres)),
                        car.fuel + static_cast<float>(5 * dt));
    // The next lap's use is counted from what leaves the box.
    m_fuelAtLine = car.fuel;
    if (m_pitTime >= kPitStopSeconds) {
        m_pitTime = -1;
        m_state.ignition = 1;
        m_state.tractionControl = static_cast<std::uint8_t>(m_state.tractionControl % 2 + 1);
        m_state.absLevel = static_cast<std::uint8_t>(m_state.absLevel % 2 + 1);
        for (WheelState &wheel : m_state.wheels) {
            wheel.wear = 1;
        }
    }
}

void CarModel::updateEngine() {
    SlotState &car = m_state.cars[kLocalSlot];
    if (m_state.ignition == 0) {
        car.engineSpeed = 0;
        car.gear = 0;
        return;
    }
    const double wheelRpm = m_speed / kWheelRadius * 60 / (2 * std::numbers::pi);
    int gear = 1;
    while (gear < 6 && wheelRpm * kGearRatios[gear - 1] * kFinalDrive > kMaxRpm * 0.93) {
        ++gear;
    }
    const double rpm = std::max(1100.0, wheelRpm * kGearRatios[gear - 1] * kFinalDrive);
    car.gear = m_speed < 0.5 && m_pitTime >= 0 ? 0 : gear;
    car.engineSpeed = static_cast<float>(std::min(rpm, kMaxRpm) * kRpmToRadPerSecond);
}

void CarModel::updateWheels(double dt) {
    std::uniform_real_distribution<double> chance(0, 1);
    if (m_lockedWheel < 0 && m_state.brake > 0.8F && chance(m_random) < 0.02) {
        m_lockedWheel = chance(m_random) < 0.7 ? static_cast<int>(chance(m_random) * 2) : 2;
        m_lockTime = 0.4;
    }
    m_lockTime -= dt;
    if (m_lockTime <= 0) {
        m_lockedWheel = -1;
    }
    for (int i = 0; i < 4; ++i) {
        WheelState &wheel = m_state.wheels[static_cast<std::size_t>(i)];
        const double slip = i == m_lockedWheel ? 0.55 : 1.0;
        wheel.spin = -(m_speed / wheel.radius) * slip;
        wheel.wear = std::max(0.0, wheel.wear - m_speed * dt * 0.0045 / kLapLength);
    }
}

void CarModel::updateTemperatures(double dt) {
    const double load = m_speed / 75;
    auto approach = [dt](double &value, double target, double rate) {
        value += (target - value) * std::min(1.0, rate * dt);
    };
    for (int i = 0; i < 4; ++i) {
        WheelState &wheel = m_state.wheels[static_cast<std::size_t>(i)];
        const double base = 60 + 45 * load + 25 * m_state.brake + (i < 2 ? 4 : 0);
        approach(wheel.tread[0], celsius(base + 6), 0.05);
        approach(wheel.tread[1], celsius(base), 0.05);
        approach(wheel.tread[2], celsius(base - 5), 0.05);
        approach(wheel.pressure, 158 + (wheel.tread[1] - kKelvin) * 0.55, 0.1);
        approach(wheel.brake, celsius(m_state.brake > 0 ? 760 : 180 + 120 * load),
                 m_state.brake > 0 ? 0.9 : 0.12);
    }
    approach(m_state.waterTemp, celsius(m_state.ignition ? 84 + 22 * m_state.throttle : 70), 0.01);
    approach(m_state.oilTemp, celsius(m_state.ignition ? 90 + 20 * m_state.throttle : 75), 0.008);
    const double minutes = m_raceTime / 60;
    m_state.ambientTemp = static_cast<float>(21.5 + 2 * std::sin(minutes / 7));
    m_state.trackTemp = static_cast<float>(29.5 + 4 * std::sin(minutes / 9));
}

void CarModel::completeLap() {
    SlotState &car = m_state.cars[kLocalSlot];
    car.lapCount += 1;
    car.lastLapTime = static_cast<float>(m_lapTime);
    if (car.bestLapTime <= 0 || car.lastLapTime < car.bestLapTime) {
        car.bestLapTime = car.lastLapTime;
    }
    m_lapTime = 0;
}

void CarModel::driveRival(int slot, double dt) {
    Rival &rival = m_rivals[static_cast<std::size_t>(slot)];
    SlotState &car = m_state.cars[static_cast<std::size_t>(slot)];
    rival.lapTime += dt;
    if (rival.stopLeft > 0) {
        rival.stopLeft -= dt;
        rival.speed = 0;
        car.inPits = rival.stopLeft > 0 ? 1 : 0;
        return;
    }
    const bool stopLap = car.lapCount % rival.lapsBetweenStops == rival.lapsBetweenStops - 1;
    const bool inPitLane = stopLap && rival.distance > kPitEntry;
    car.inPits = inPitLane ? 1 : 0;
    // The track's speed scaled by the car's pace, reached as the local car reaches its own
    // (from the grid too, whose negative distances are straight).
    const double target =
        (inPitLane ? 16.0 : trackSpeed(std::max(0.0, rival.distance))) / rival.lapPace;
    rival.speed = target > rival.speed ? std::min(target, rival.speed + 7.5 * dt)
                                       : std::max(target, rival.speed - 16.0 * dt);
    rival.distance += rival.speed * dt;
    if (rival.distance < kLapLength) {
        return;
    }
    rival.distance -= kLapLength;
    car.lapCount += 1;
    car.lastLapTime = static_cast<float>(rival.lapTime);
    if (car.bestLapTime <= 0 || car.lastLapTime < car.bestLapTime) {
        car.bestLapTime = car.lastLapTime;
    }
    rival.lapTime = 0;
    car.fuel = stopLap ? 40.0F : std::max(0.0F, car.fuel - static_cast<float>(kFuelPerLap));
    if (stopLap) {
        rival.stopLeft = kRivalStopSeconds;
        car.inPits = 1;
    }
    std::uniform_real_distribution<double> form(-0.012, 0.012);
    rival.lapPace = rival.pace * (1 + form(m_random));
}

void CarModel::placeField() {
    // Positions follow the distance run since the start.
    std::array<std::pair<double, int>, kFieldSize> run{};
    for (int slot = 0; slot < kFieldSize; ++slot) {
        const double into =
            slot == kLocalSlot ? m_distance : m_rivals[static_cast<std::size_t>(slot)].distance;
        run[static_cast<std::size_t>(slot)] = {
            m_state.cars[static_cast<std::size_t>(slot)].lapCount * kLapLength + into, slot};
    }
    std::sort(run.begin(), run.end(),
              [](const auto &a, const auto &b) { return a.first > b.first; });
    for (int place = 0; place < kFieldSize; ++place) {
        m_state.cars[static_cast<std::size_t>(run[static_cast<std::size_t>(place)].second)]
            .position = place + 1;
    }
}

void CarModel::advance(double seconds) {
    // Small fixed steps keep the model steady whatever the speed factor.
    constexpr double kStep = 0.01;
    for (double left = seconds; left > 1e-9; left -= kStep) {
        const double dt = std::min(kStep, left);
        m_raceTime += dt;
        m_lapTime += dt;
        if (m_pitTime >= 0) {
            pitStop(dt);
        } else {
            drive(dt);
        }
        updateEngine();
        updateWheels(dt);
        updateTemperatures(dt);
        for (int slot = 0; slot < kFieldSize; ++slot) {
            if (slot != kLocalSlot) {
                driveRival(slot, dt);
            }
        }
        placeField();
    }
}

} // namespace ostrelo::simgame
