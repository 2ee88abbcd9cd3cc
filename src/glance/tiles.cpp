// SPDX-License-Identifier: GPL-3.0-or-later
#include "glance/tiles.h"

#include "dashboard/formats.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace ostrelo::glance {
namespace {

constexpr std::array<std::string_view, kTileKindCount> kNames = {
    "gear",     "speed",   "rpm",   "position", "lap",   "last",  "best",   "delta", "fuel",
    "fuellaps", "fueladd", "tyres", "engine",   "lamps", "ahead", "behind", "status"};

constexpr std::array kDefault = {TileKind::Gear,    TileKind::Rpm,         TileKind::Speed,
                                 TileKind::LastLap, TileKind::AgainstBest, TileKind::Position,
                                 TileKind::Lap,     TileKind::FuelLaps,    TileKind::BestLap};

// Where the shift lights come on, as a share of the car's maximum engine speed.
constexpr std::array<double, kShiftLights> kLightsAt = {0.80, 0.84, 0.88, 0.92, 0.96};

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    return first == std::string_view::npos ? std::string()
                                           : std::string(text.substr(first, last - first + 1));
}

std::vector<std::string> split(std::string_view list) {
    std::vector<std::string> parts;
    for (std::size_t start = 0;;) {
        const std::size_t comma = list.find(',', start);
        parts.emplace_back(trimmed(list.substr(start, comma - start)));
        if (comma == std::string_view::npos) {
            return parts;
        }
        start = comma + 1;
    }
}

TileValue plain(std::string text) {
    return {std::move(text), std::nullopt};
}

TileValue reading(const dashboard::Reading &r) {
    return {trimmed(r.text), r.background};
}

// The lap times as the window writes them; none before the game has set one.
std::string lapTime(float seconds, char separator) {
    return dashboard::isLapTime(seconds) ? dashboard::lapTimeText(seconds, separator) : "-";
}

// The followed car's line in the tower, or none.
std::optional<std::size_t> followedLine(const std::vector<standings::TowerLine> &tower) {
    for (std::size_t i = 0; i < tower.size(); ++i) {
        if (tower[i].followed) {
            return i;
        }
    }
    return std::nullopt;
}

} // namespace

std::string_view tileName(TileKind kind) {
    return kNames[static_cast<std::size_t>(kind)];
}

std::optional<TileKind> tileKind(std::string_view name) {
    const auto found = std::find(kNames.begin(), kNames.end(), name);
    if (found == kNames.end()) {
        return std::nullopt;
    }
    return static_cast<TileKind>(found - kNames.begin());
}

std::span<const TileKind> defaultTiles() {
    return kDefault;
}

std::vector<TileKind> tileChoice(std::string_view list) {
    std::vector<TileKind> chosen;
    for (const std::string &name : split(list)) {
        const std::optional<TileKind> kind = tileKind(name);
        if (kind && std::find(chosen.begin(), chosen.end(), *kind) == chosen.end()) {
            chosen.push_back(*kind);
        }
    }
    if (chosen.empty()) {
        chosen.assign(kDefault.begin(), kDefault.end());
    }
    return chosen;
}

int shiftLightsLit(double fraction) {
    return static_cast<int>(std::count_if(kLightsAt.begin(), kLightsAt.end(),
                                          [fraction](double at) { return fraction >= at; }));
}

std::vector<Tile> makeTiles(const TileInputs &in) {
    const dashboard::Screen &screen = in.screen;
    const std::vector<std::string> captions = split(in.texts.TextTileCaptions);
    std::vector<Tile> tiles(kTileKindCount);
    for (std::size_t i = 0; i < kTileKindCount; ++i) {
        tiles[i].kind = static_cast<TileKind>(i);
        tiles[i].caption = i < captions.size() ? captions[i] : std::string();
    }
    const auto tile = [&tiles](TileKind kind) -> Tile & {
        return tiles[static_cast<std::size_t>(kind)];
    };

    tile(TileKind::Gear).values = {plain(trimmed(screen.gear))};
    Tile &speed = tile(TileKind::Speed);
    speed.values = {plain(trimmed(screen.speed.text))};
    speed.unit = in.imperial ? "mph" : "km/h";
    Tile &rpm = tile(TileKind::Rpm);
    rpm.values = {plain(trimmed(screen.rpm.text))};
    rpm.fill =
        screen.rpm.maximum > 0 ? std::clamp(screen.rpm.value / screen.rpm.maximum, 0.0, 1.0) : 0.0;
    rpm.lightsLit = shiftLightsLit(rpm.fill);
    tile(TileKind::Lap).values = {plain(trimmed(screen.lapNumber))};

    const telemetry::TelemetrySample *s = in.sample;
    Tile &position = tile(TileKind::Position);
    position.values = {plain(s ? std::to_string(s->Position) : "-")};
    if (!in.tower.empty()) {
        position.unit = "/" + std::to_string(in.tower.size());
    }
    const float last = s ? s->LastLapTime : 0;
    const float best = s ? s->BestLapTime : 0;
    tile(TileKind::LastLap).values = {plain(lapTime(last, in.separator))};
    tile(TileKind::BestLap).values = {plain(lapTime(best, in.separator))};
    Tile &against = tile(TileKind::AgainstBest);
    if (dashboard::isLapTime(last) && dashboard::isLapTime(best)) {
        const double delta = static_cast<double>(last) - best;
        // Green for a lap as good as the best, red for one slower by more than a second.
        against.values = {{dashboard::signedSecondsText(delta, 3, in.separator),
                           delta <= 0    ? std::optional(dashboard::rgb(0, 160, 0))
                           : delta > 1.0 ? std::optional(dashboard::rgb(200, 0, 0))
                                         : std::nullopt}};
    } else {
        against.values = {plain("-")};
    }

    tile(TileKind::Fuel).values = {plain(trimmed(screen.fuel))};
    tile(TileKind::FuelLaps).values = {
        plain(in.engineer.lapsOfFuelValue.empty() ? "-" : in.engineer.lapsOfFuelValue)};
    Tile &toAdd = tile(TileKind::FuelToAdd);
    toAdd.values = {plain(in.engineer.toAddValue.empty() ? "-" : in.engineer.toAddValue)};
    toAdd.detail = in.engineer.toAdd;

    Tile &tyres = tile(TileKind::Tyres);
    for (const auto &zones : screen.tyreTemp) {
        // The middle of the tread.
        tyres.values.push_back(reading(zones[1]));
    }
    Tile &engine = tile(TileKind::Engine);
    engine.values = {reading(screen.waterTemp), reading(screen.oilTemp)};
    engine.detail = trimmed(screen.waterCaption) + " / " + trimmed(screen.oilCaption);

    tile(TileKind::Lamps).lamps = {screen.pitLimiter,      screen.inPits, screen.position,
                                   screen.tractionControl, screen.abs,    screen.ignition,
                                   screen.engine};

    const std::optional<std::size_t> followed = followedLine(in.tower);
    Tile &ahead = tile(TileKind::Ahead);
    Tile &behind = tile(TileKind::Behind);
    ahead.values = {plain("-")};
    behind.values = {plain("-")};
    if (followed && *followed > 0) {
        // The gap on the followed car's line is the one to the car ahead of it.
        ahead.values = {plain(in.tower[*followed].gap.empty() ? "-" : in.tower[*followed].gap)};
        ahead.detail = in.tower[*followed - 1].driver;
    }
    if (followed && *followed + 1 < in.tower.size()) {
        const standings::TowerLine &next = in.tower[*followed + 1];
        behind.values = {plain(next.gap.empty() ? "-" : next.gap)};
        behind.detail = next.driver;
    }

    Tile &status = tile(TileKind::Status);
    status.values = {plain(screen.gameStatus)};
    status.detail = screen.linkStatus;
    return tiles;
}

} // namespace ostrelo::glance
