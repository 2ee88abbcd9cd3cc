// SPDX-License-Identifier: GPL-3.0-or-later
#include "scenario.h"

#include "core/conversions.h"
#include "core/ini_document.h"
#include "core/regular_file.h"

namespace ostrelo::simgame {
namespace {

using Setter = std::function<void(GameState &, SlotState &, const std::string &)>;

double number(const std::string &text) {
    return core::TextToNumber(text);
}

template <typename T> T as(const std::string &text) {
    return static_cast<T>(number(text));
}

std::vector<std::pair<std::string, Setter>> setters() {
    std::vector<std::pair<std::string, Setter>> all = {
        {"DriverName", [](GameState &, SlotState &c, const std::string &v) { c.driverName = v; }},
        {"CarName", [](GameState &, SlotState &c, const std::string &v) { c.carName = v; }},
        {"Position",
         [](GameState &, SlotState &c, const std::string &v) { c.position = as<std::int32_t>(v); }},
        {"LapCount",
         [](GameState &, SlotState &c, const std::string &v) { c.lapCount = as<std::int32_t>(v); }},
        {"Fuel", [](GameState &, SlotState &c, const std::string &v) { c.fuel = as<float>(v); }},
        {"EngineSpeed",
         [](GameState &, SlotState &c, const std::string &v) { c.engineSpeed = as<float>(v); }},
        {"EngineSpeedMax",
         [](GameState &, SlotState &c, const std::string &v) { c.engineSpeedMax = as<float>(v); }},
        {"Gear",
         [](GameState &, SlotState &c, const std::string &v) { c.gear = as<std::int32_t>(v); }},
        {"LastLapTime",
         [](GameState &, SlotState &c, const std::string &v) { c.lastLapTime = as<float>(v); }},
        {"BestLapTime",
         [](GameState &, SlotState &c, const std::string &v) { c.bestLapTime = as<float>(v); }},
        {"InPits",
         [](GameState &, SlotState &c, const std::string &v) { c.inPits = as<std::uint8_t>(v); }},
        {"OilTemp", [](GameState &g, SlotState &, const std::string &v) { g.oilTemp = number(v); }},
        {"WaterTemp",
         [](GameState &g, SlotState &, const std::string &v) { g.waterTemp = number(v); }},
        {"PitLimiter", [](GameState &g, SlotState &,
                          const std::string &v) { g.pitLimiter = as<std::uint8_t>(v); }},
        {"Ignition",
         [](GameState &g, SlotState &, const std::string &v) { g.ignition = as<std::uint8_t>(v); }},
        {"TractionControl", [](GameState &g, SlotState &,
                               const std::string &v) { g.tractionControl = as<std::uint8_t>(v); }},
        {"AbsLevel",
         [](GameState &g, SlotState &, const std::string &v) { g.absLevel = as<std::uint8_t>(v); }},
        {"Throttle",
         [](GameState &g, SlotState &, const std::string &v) { g.throttle = as<float>(v); }},
        {"Brake", [](GameState &g, SlotState &, const std::string &v) { g.brake = as<float>(v); }},
        {"TrackTemp",
         [](GameState &g, SlotState &, const std::string &v) { g.trackTemp = as<float>(v); }},
        {"AmbientTemp",
         [](GameState &g, SlotState &, const std::string &v) { g.ambientTemp = as<float>(v); }},
        {"TrackPath", [](GameState &g, SlotState &, const std::string &v) { g.trackPath = v; }},
        {"LocalDriver", [](GameState &g, SlotState &, const std::string &v) { g.localDriver = v; }},
        {"MonitorSlot", [](GameState &g, SlotState &,
                           const std::string &v) { g.monitorSlot = as<std::int32_t>(v); }},
    };
    const char *const wheels[] = {"FL", "FR", "RL", "RR"};
    for (std::size_t w = 0; w < 4; ++w) {
        const std::string suffix = std::string("_") + wheels[w];
        auto wheel = [w](GameState &g) -> WheelState & { return g.wheels[w]; };
        all.emplace_back("Spin" + suffix, [wheel](GameState &g, SlotState &, const std::string &v) {
            wheel(g).spin = number(v);
        });
        all.emplace_back("Radius" + suffix,
                         [wheel](GameState &g, SlotState &, const std::string &v) {
                             wheel(g).radius = number(v);
                         });
        all.emplace_back("Pressure" + suffix,
                         [wheel](GameState &g, SlotState &, const std::string &v) {
                             wheel(g).pressure = number(v);
                         });
        all.emplace_back("Wear" + suffix, [wheel](GameState &g, SlotState &, const std::string &v) {
            wheel(g).wear = number(v);
        });
        all.emplace_back("BrakeTemp" + suffix,
                         [wheel](GameState &g, SlotState &, const std::string &v) {
                             wheel(g).brake = number(v);
                         });
        for (std::size_t zone = 0; zone < 3; ++zone) {
            all.emplace_back("Tread" + suffix + "_" + std::to_string(zone),
                             [wheel, zone](GameState &g, SlotState &, const std::string &v) {
                                 wheel(g).tread[zone] = number(v);
                             });
        }
    }
    return all;
}

} // namespace

Scenario::Scenario(const std::string &path) {
    if (path.empty()) {
        return;
    }
    const core::FileContents file = core::readRegularFile(path);
    if (file.status != core::FileContents::Status::Read) {
        m_error = "cannot read the scenario file " + path;
        return;
    }
    const core::IniDocument document = core::IniDocument::parse(file.bytes);
    for (const auto &[key, setter] : setters()) {
        if (const auto value = document.value("Pin", key)) {
            m_pins.push_back(
                [setter, value = *value](GameState &g, SlotState &c) { setter(g, c, value); });
        }
    }
}

void Scenario::apply(GameState &state, int slot) const {
    SlotState &car = state.cars[static_cast<std::size_t>(slot)];
    for (const auto &pin : m_pins) {
        pin(state, car);
    }
}

std::vector<std::string> Scenario::keys() {
    std::vector<std::string> names;
    for (const auto &[key, setter] : setters()) {
        names.push_back(key);
    }
    return names;
}

} // namespace ostrelo::simgame
