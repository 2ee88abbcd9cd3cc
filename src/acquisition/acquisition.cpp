// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/acquisition.h"

#include "acquisition/address_map.h"
#include "core/error.h"
#include "core/text_encoding.h"
#include "telemetry/telemetry_fields.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <span>
#include <type_traits>

namespace ostrelo::acquisition {

using telemetry::FL;
using telemetry::FR;
using telemetry::RL;
using telemetry::RR;
using telemetry::toSingle;

namespace {

constexpr double kKelvinOffset = 273.15;

bool hasNul(const std::string &text) {
    return text.find('\0') != std::string::npos;
}

std::string cutAtNul(const std::string &text) {
    return text.substr(0, text.find('\0'));
}

// Cutting at NUL where the text must hold one: a text without NUL cannot be cut.
std::string cutAtRequiredNul(const std::string &text, const char *what) {
    if (!hasNul(text)) {
        throw core::RunTimeError("Left", std::string(what) + " holds no NUL to end it");
    }
    return cutAtNul(text);
}

std::string cutAtBackslash(const std::string &text) {
    return text.substr(0, text.find('\\'));
}

bool comparable(const std::string &name) {
    return !name.empty() && name.front() != '\0';
}

// Any 4 or 8 bytes of game memory can hold an infinity or NaN; such a sample is not shown,
// sent or logged, as a value too large for its field is not.
void requireFinite(const TelemetrySample &s) {
    if (const std::string name = telemetry::firstNotFinite(s); !name.empty()) {
        throw core::RunTimeError("CSng", "Overflow: " + name +
                                             " read from the game is not a finite number");
    }
}

// The ranges one sample reads before the car slots', and the pieces of a slot that the
// standings need (the followed car's other fields are among them): the pit flag; laps, last
// lap, position and best lap; the driver and car names.
constexpr std::size_t kSampleRanges = 8;
constexpr std::int32_t kSlotPieces[][2] = {
    {address::InPits, 1},
    {address::LapCount, address::BestLapTime + 4 - address::LapCount},
    {address::DriverName, address::CarName + 50 - address::DriverName},
};
constexpr std::size_t kPiecesPerSlot = std::size(kSlotPieces);
using telemetry::kFieldEveryMs;

template <typename T> T valueAt(std::span<const std::byte> bytes, std::int32_t offset) {
    T value;
    std::memcpy(&value, bytes.data() + offset, sizeof value);
    return value;
}

// A name as a slot keeps it: up to its NUL, or every byte when it has none (the game does not
// always end what it leaves behind); control characters become spaces.
std::string slotText(std::span<const std::byte> bytes) {
    std::string text;
    for (const std::byte b : bytes) {
        const auto c = static_cast<unsigned char>(b);
        if (c == 0) {
            break;
        }
        text += c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c);
    }
    text.erase(text.find_last_not_of(' ') + 1);
    return core::fromWindows1252(text);
}

// The pieces of a slot that change as a car races, the names aside.
void takeRacing(telemetry::CarStanding &car, std::span<const std::byte> pitFlag,
                std::span<const std::byte> laps) {
    car.inPits = static_cast<char>(pitFlag[0]) != 0;
    car.lapsCompleted = valueAt<std::int32_t>(laps, 0);
    car.lastLapTime = valueAt<float>(laps, address::LastLapTime - address::LapCount);
    car.position = valueAt<std::int32_t>(laps, address::Position - address::LapCount);
    car.bestLapTime = valueAt<float>(laps, address::BestLapTime - address::LapCount);
}

} // namespace

Acquisition::Acquisition(GameMemory &memory, const core::Settings &settings,
                         runtime::FollowedCarState &followed)
    : m_memory(memory), m_settings(settings), m_followed(followed) {
}

void Acquisition::followLocalDriver(TelemetrySample &s) {
    const std::string local = m_memory.ReadMemory(address::LocalDriver, 30);
    s.DriverName = local.find('\\') != std::string::npos ? cutAtBackslash(local) : "Error";
    const std::string followed =
        m_memory.ReadMemory(address::slotField(m_followed.CarSlot, address::DriverName), 24);
    s.SlotName = comparable(followed) ? cutAtNul(followed) : "NoTincNiidea";
    if (s.SlotName == s.DriverName) {
        return;
    }
    for (std::int16_t slot = 0; slot < address::kSlotCount; ++slot) {
        s.SlotName = m_memory.ReadMemory(address::slotField(slot, address::DriverName), 24);
        if (!comparable(s.SlotName)) {
            continue;
        }
        s.SlotName = cutAtNul(s.SlotName);
        if (s.SlotName == s.DriverName) {
            m_followed.CarSlot = slot;
            return;
        }
    }
}

bool Acquisition::followSlot(TelemetrySample &s, std::int16_t slot) {
    m_followed.CarSlot = slot;
    const std::string name = m_memory.ReadMemory(address::slotField(slot, address::DriverName), 24);
    if (!hasNul(name)) {
        return false;
    }
    s.DriverName = cutAtNul(name);
    return true;
}

void Acquisition::readFollowedCar(TelemetrySample &s) {
    auto at = [this](std::int32_t field) { return address::slotField(m_followed.CarSlot, field); };
    s.CarName = cutAtRequiredNul(m_memory.ReadMemory(at(address::CarName), 50), "The car name");
    s.EngineSpeed = m_memory.ReadMemorySingle(at(address::EngineSpeed), 4);
    s.Position = m_memory.ReadMemoryInteger(at(address::Position), 4);
    s.EngineSpeedMax = m_memory.ReadMemorySingle(at(address::EngineSpeedMax), 4);
    const int lap = m_memory.ReadMemoryInteger(at(address::LapCount), 4) + 1;
    if (lap > INT16_MAX) {
        throw core::RunTimeError("LapNumber", "Overflow: the lap count is out of range");
    }
    s.LapNumber = static_cast<std::int16_t>(lap);
    s.Fuel = m_memory.ReadMemorySingle(at(address::Fuel), 4);
    s.BestLapTime = m_memory.ReadMemorySingle(at(address::BestLapTime), 4);
    s.LastLapTime = m_memory.ReadMemorySingle(at(address::LastLapTime), 4);
    s.Gear = m_memory.ReadMemoryInteger(at(address::Gear), 4);
    s.InPits = m_memory.ReadMemoryInteger(at(address::InPits), 1);
}

std::string Acquisition::trackName() {
    const std::string path = m_memory.ReadMemory(address::TrackName, 50);
    if (!hasNul(path)) {
        return "Error";
    }
    const std::string cut = cutAtNul(path);
    const auto backslash = cut.find('\\');
    if (backslash == std::string::npos) {
        return "Error";
    }
    // The part after the folder, less a four-character extension such as ".trk".
    const std::size_t first = core::characterCount(cut.substr(0, backslash)) + 1;
    const auto length =
        static_cast<long long>(core::characterCount(cut)) - static_cast<long long>(first) - 4;
    if (length < 0) {
        throw core::RunTimeError("Mid", "The track text is too short to cut: " + cut);
    }
    return std::string(core::midCharacters(cut, first, static_cast<std::size_t>(length)));
}

void Acquisition::readFixedLocations(TelemetrySample &s) {
    auto celsius = [this](std::int32_t address) {
        return toSingle(m_memory.ReadMemoryDouble(address) - kKelvinOffset);
    };
    s.OilTemp = celsius(address::OilTemp);
    s.WaterTemp = celsius(address::WaterTemp);
    s.Ignition = m_memory.ReadMemoryInteger(address::Ignition, 1);
    for (int wheel = FL; wheel <= RR; ++wheel) {
        for (int zone = 0; zone < 3; ++zone) {
            s.TyreTemp[wheel][zone] =
                celsius(address::wheelField(wheel, address::WheelTread + 8 * zone));
        }
    }
    for (int wheel = FL; wheel <= RR; ++wheel) {
        s.TyrePressure[wheel] =
            toSingle(m_memory.ReadMemoryDouble(address::wheelField(wheel, address::WheelPressure)));
    }
    for (int wheel = FL; wheel <= RR; ++wheel) {
        s.BrakeTemp[wheel] = celsius(address::wheelField(wheel, address::WheelBrake));
    }
    const double frontRadius =
        m_memory.ReadMemoryDouble(address::wheelField(FL, address::WheelRadius));
    const double rearRadius =
        m_memory.ReadMemoryDouble(address::wheelField(RL, address::WheelRadius));
    for (int wheel = FL; wheel <= RR; ++wheel) {
        const double spin =
            m_memory.ReadMemoryDouble(address::wheelField(wheel, address::WheelSpin));
        const double radius = wheel <= FR ? frontRadius : rearRadius;
        // The game's own factor: 0.284, not 1 / 3.6.
        s.WheelSpeed[wheel] = (spin * -1 * radius) / 0.284;
    }
    for (int wheel = FL; wheel <= RR; ++wheel) {
        s.TyreWear[wheel] =
            m_memory.ReadMemoryDouble(address::wheelField(wheel, address::WheelWear));
    }
    s.TrackName = trackName();
    s.PitLimiter = m_memory.ReadMemoryInteger(address::PitLimiter, 1);
    s.TractionControl = m_memory.ReadMemoryInteger(address::TractionControl, 1);
    s.AbsLevel = m_memory.ReadMemoryInteger(address::AbsLevel, 1);
    s.Throttle =
        toSingle(static_cast<double>(m_memory.ReadMemorySingle(address::Throttle, 4)) * 100);
    s.Brake = toSingle(static_cast<double>(m_memory.ReadMemorySingle(address::Brake, 4)) * 100);
    s.TrackTemp = m_memory.ReadMemorySingle(address::TrackTemp, 4);
    s.AmbientTemp = m_memory.ReadMemorySingle(address::AmbientTemp, 4);
}

void Acquisition::readStandings() {
    m_standings.cars.clear();
    for (std::size_t i = 0; i < m_slotsRead.size(); ++i) {
        std::span<const std::byte> piece[kPiecesPerSlot];
        bool whole = true;
        for (std::size_t p = 0; p < kPiecesPerSlot; ++p) {
            piece[p] = m_memory.copied(kSampleRanges + i * kPiecesPerSlot + p);
            whole = whole && !piece[p].empty();
        }
        if (!whole || static_cast<char>(piece[2][0]) == '\0') {
            continue;
        }
        const std::span<const std::byte> laps = piece[1];
        const std::span<const std::byte> names = piece[2];
        telemetry::CarStanding &car = m_standings.cars.emplace_back();
        car.slot = m_slotsRead[i];
        takeRacing(car, piece[0], laps);
        car.driverName = slotText(names.first(24));
        car.carName = slotText(names.subspan(address::CarName - address::DriverName, 50));
    }
}

bool Acquisition::readField() {
    if (m_standings.cars.empty() || m_settings.ScanTime <= kFieldEveryMs) {
        return false;
    }
    m_ranges.clear();
    // The first two pieces of each slot: its pit flag, and its laps, times and position.
    for (const telemetry::CarStanding &car : m_standings.cars) {
        for (std::size_t p = 0; p < 2; ++p) {
            m_ranges.push_back(
                {address::slotField(car.slot, kSlotPieces[p][0]), kSlotPieces[p][1]});
        }
    }
    m_memory.snapshot(m_ranges);
    bool read = false;
    for (std::size_t i = 0; i < m_standings.cars.size(); ++i) {
        const std::span<const std::byte> pitFlag = m_memory.copied(2 * i);
        const std::span<const std::byte> laps = m_memory.copied(2 * i + 1);
        if (!pitFlag.empty() && !laps.empty()) {
            takeRacing(m_standings.cars[i], pitFlag, laps);
            read = true;
        }
    }
    m_memory.forget();
    return read;
}

bool Acquisition::chooseSlotsToRead() {
    // The followed car is read with every sample. The field is read at most every
    // kFieldEveryMs (its laps and times change once a lap; each slot costs the system about
    // two microseconds a read): the occupied slots, and every slot about once a second to find
    // the cars that came since.
    const int scanMs = std::max<int>(1, m_settings.ScanTime);
    m_slotsRead.clear();
    if (--m_samplesToEverySlot < 0) {
        m_samplesToEverySlot = std::max(1, 1000 / scanMs) - 1;
        m_samplesToField = std::max(1, kFieldEveryMs / scanMs) - 1;
        for (std::int16_t slot = 0; slot < address::kSlotCount; ++slot) {
            m_slotsRead.push_back(slot);
        }
        return true;
    }
    if (--m_samplesToField < 0) {
        m_samplesToField = std::max(1, kFieldEveryMs / scanMs) - 1;
        for (const telemetry::CarStanding &car : m_standings.cars) {
            m_slotsRead.push_back(car.slot);
        }
        return true;
    }
    m_slotsRead.push_back(m_followed.CarSlot);
    return false;
}

bool Acquisition::acquire(TelemetrySample &s) {
    // Everything one sample reads, in one batch: the fixed locations, the followed slot's
    // engine record (a slot that changes during the choice is read directly) and the pieces
    // of the slots that the standings show.
    const bool fieldRead = chooseSlotsToRead();
    const GameMemory::Range sampleRanges[kSampleRanges] = {
        {address::TractionControl,
         address::wheelField(RR, address::WheelBrake) + 8 - address::TractionControl},
        {address::PitLimiter, address::WaterTemp + 8 - address::PitLimiter},
        {address::Throttle, address::Brake + 4 - address::Throttle},
        {address::AmbientTemp, address::TrackTemp + 4 - address::AmbientTemp},
        {address::TrackName, 50},
        {address::LocalDriver, 30},
        {address::MonitorSlot, 4},
        {address::slotField(m_followed.CarSlot, address::Fuel), address::Gear + 4 - address::Fuel},
    };
    m_ranges.assign(std::begin(sampleRanges), std::end(sampleRanges));
    for (const std::int16_t slot : m_slotsRead) {
        for (const auto &[field, size] : kSlotPieces) {
            m_ranges.push_back({address::slotField(slot, field), size});
        }
    }
    m_memory.snapshot(m_ranges);
    struct Forget {
        GameMemory &memory;
        ~Forget() { memory.forget(); }
    } forget{m_memory};
    switch (m_followed.SlotMode) {
    case runtime::FollowedCar::Local:
        followLocalDriver(s);
        break;
    case runtime::FollowedCar::Monitor:
        if (!followSlot(s, m_memory.ReadMemoryInteger(address::MonitorSlot, 4))) {
            return false;
        }
        break;
    case runtime::FollowedCar::Forced:
        if (!followSlot(s, m_followed.ForcedSlot)) {
            return false;
        }
        break;
    }
    readFollowedCar(s);
    readFixedLocations(s);
    requireFinite(s);
    if (fieldRead) {
        readStandings();
    }
    return true;
}

} // namespace ostrelo::acquisition
