// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dashboard/screen.h"
#include "engineer/engineer_report.h"
#include "i18n/texts.h"
#include "standings/tower_lines.h"
#include "telemetry/telemetry_sample.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::glance {

/// The tiles a driver can choose, in the order they come when none is chosen.
enum class TileKind : std::uint8_t {
    Gear,
    Speed,
    Rpm,
    Position,
    Lap,
    LastLap,
    BestLap,
    AgainstBest,
    Fuel,
    FuelLaps,
    FuelToAdd,
    Tyres,
    Engine,
    Lamps,
    Ahead,
    Behind,
    Status,
};
inline constexpr std::size_t kTileKindCount = 17;

/// The shift lights of the rpm tile, lit from the left as the engine nears its maximum.
inline constexpr int kShiftLights = 5;

/// A tile's name in a choice ("gear", "speed", ... "status"), and the tile a name stands for.
std::string_view tileName(TileKind kind);
std::optional<TileKind> tileKind(std::string_view name);

/// The tiles named in `list`, comma-separated ("gear,speed,fuel"), in its order; unknown
/// names and repeats are left out. An empty list, or one with no known name, gives the
/// default tiles: those a driver reads while driving.
std::vector<TileKind> tileChoice(std::string_view list);
std::span<const TileKind> defaultTiles();

/// One value of a tile, with the background of its threshold colour where it has one.
struct TileValue {
    std::string text;
    std::optional<dashboard::Colour> background;
    bool operator==(const TileValue &) const = default;
};

/// A tile as every view draws it: its caption in the viewer's language, its values (one; the
/// four wheels for the tyres; water and oil for the engine), the unit after them, a line of
/// detail (the driver ahead or behind, the fuel advice in words, the link's status).
struct Tile {
    TileKind kind = TileKind::Gear;
    std::string caption;
    std::vector<TileValue> values;
    std::string unit;
    std::string detail;
    /// The rpm tile: the engine speed against the car's maximum (0 to 1) and the shift lights
    /// lit.
    double fill = 0;
    int lightsLit = 0;
    /// The lamps tile: the lamp row of the dashboard.
    std::vector<dashboard::Lamp> lamps;
    bool operator==(const Tile &) const = default;
};

/// What the tiles are made of: the screen a view shows (in its language and units), the last
/// sample it showed in full (as read; none before the first), the race engineer's report and
/// the timing tower in the same language and units.
struct TileInputs {
    const dashboard::Screen &screen;
    const telemetry::TelemetrySample *sample = nullptr;
    const engineer::EngineerReport &engineer;
    const std::vector<standings::TowerLine> &tower;
    const i18n::Texts &texts;
    bool imperial = false;
    char separator = '.';
};

/// Every tile, in the order of `TileKind`.
std::vector<Tile> makeTiles(const TileInputs &in);

/// The shift lights lit at `fraction` of the car's maximum engine speed.
int shiftLightsLit(double fraction);

} // namespace ostrelo::glance
