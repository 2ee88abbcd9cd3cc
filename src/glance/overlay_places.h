// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/settings.h"
#include "core/settings_store.h"
#include "glance/tiles.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace ostrelo::glance {

/// A rectangle on the desktop, in pixels: an overlay tile's place and size, or a screen's area.
struct Place {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool operator==(const Place &) const = default;
};

/// The smallest and the largest side of an overlay tile, in pixels.
inline constexpr int kSmallestTileSide = 40;
inline constexpr int kLargestTileSide = 4000;

/// The place written "x,y,w,h" (four whole numbers, blanks allowed around them, the sides from
/// kSmallestTileSide to kLargestTileSide), or none.
std::optional<Place> placeFromText(std::string_view text);

/// The place as the settings file keeps it: "x,y,w,h".
std::string placeText(const Place &place);

/// The size a tile of `kind` has until the user resizes it.
Place defaultSize(TileKind kind);

/// Where the tiles go until the user moves them: in `tiles`' order from the top-left corner
/// of `screen` (the primary screen's area), left to right with a gap, a new row when one is
/// full.
std::vector<Place> defaultPlaces(std::span<const TileKind> tiles, const Place &screen);

/// `place` moved, and shrunk when it is larger, so that it lies wholly on the screen it
/// overlaps most, or on the first one (the primary) when it overlaps none; unchanged when
/// there is no screen.
Place clampOnto(const Place &place, std::span<const Place> screens);

/// Where a tile's `count` values go in `room`: one fills it, two or three side by side, four
/// in two rows of two.
std::vector<Place> valueCells(const Place &room, std::size_t count);

/// A tile shown over the game and its place.
struct TilePlace {
    TileKind kind = TileKind::Gear;
    Place place;
    bool operator==(const TilePlace &) const = default;
};

/// The tiles `settings` choose (`OverlayTiles`, see `tileChoice`), each at its place in
/// `store` when a valid one is kept there, else at its default place, then clamped onto
/// `screens` (each screen's area less its panels, the primary first).
std::vector<TilePlace> overlayPlaces(const core::Settings &settings,
                                     const core::SettingsStore &store,
                                     std::span<const Place> screens);

/// Keeps `place` in `store` as the place of the tile `kind`.
void savePlace(core::SettingsStore &store, TileKind kind, const Place &place);

/// Whether tiles of `tiles` show the timing tower (the cars ahead and behind, the field's size),
/// which then has to be read.
bool needsTower(std::span<const TileKind> tiles);

} // namespace ostrelo::glance
