// SPDX-License-Identifier: GPL-3.0-or-later
#include "glance/overlay_places.h"

#include <algorithm>
#include <charconv>

namespace ostrelo::glance {
namespace {

// The room left between two tiles, and between the tiles and the screen's edge.
constexpr int kGap = 8;

// A whole number with blanks around it, or none.
std::optional<int> wholeNumber(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    const auto last = text.find_last_not_of(' ');
    if (first == std::string_view::npos) {
        return std::nullopt;
    }
    text = text.substr(first, last - first + 1);
    int value = 0;
    const char *end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

long long overlap(const Place &a, const Place &b) {
    const long long width =
        std::min(a.x + a.width, b.x + b.width) - static_cast<long long>(std::max(a.x, b.x));
    const long long height =
        std::min(a.y + a.height, b.y + b.height) - static_cast<long long>(std::max(a.y, b.y));
    return width > 0 && height > 0 ? width * height : 0;
}

} // namespace

std::optional<Place> placeFromText(std::string_view text) {
    int numbers[4] = {};
    for (int i = 0; i < 4; ++i) {
        const std::size_t comma = text.find(',');
        if ((comma == std::string_view::npos) != (i == 3)) {
            return std::nullopt;
        }
        const std::optional<int> number = wholeNumber(text.substr(0, comma));
        if (!number) {
            return std::nullopt;
        }
        numbers[i] = *number;
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
    }
    const auto sideFits = [](int side) {
        return side >= kSmallestTileSide && side <= kLargestTileSide;
    };
    if (!sideFits(numbers[2]) || !sideFits(numbers[3])) {
        return std::nullopt;
    }
    return Place{numbers[0], numbers[1], numbers[2], numbers[3]};
}

std::string placeText(const Place &place) {
    return std::to_string(place.x) + ',' + std::to_string(place.y) + ',' +
           std::to_string(place.width) + ',' + std::to_string(place.height);
}

Place defaultSize(TileKind kind) {
    switch (kind) {
    case TileKind::Rpm:
    case TileKind::Lamps:
        return {0, 0, 320, 110};
    case TileKind::Tyres:
    case TileKind::Ahead:
    case TileKind::Behind:
    case TileKind::Status:
    case TileKind::FuelToAdd:
        return {0, 0, 240, 110};
    default:
        return {0, 0, 160, 110};
    }
}

std::vector<Place> defaultPlaces(std::span<const TileKind> tiles, const Place &screen) {
    std::vector<Place> places;
    int x = screen.x + kGap;
    int y = screen.y + kGap;
    int rowHeight = 0;
    for (const TileKind kind : tiles) {
        Place place = defaultSize(kind);
        if (x > screen.x + kGap && x + place.width + kGap > screen.x + screen.width) {
            x = screen.x + kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        place.x = x;
        place.y = y;
        places.push_back(place);
        x += place.width + kGap;
        rowHeight = std::max(rowHeight, place.height);
    }
    return places;
}

Place clampOnto(const Place &place, std::span<const Place> screens) {
    if (screens.empty()) {
        return place;
    }
    const Place *screen = &screens.front();
    long long most = 0;
    for (const Place &candidate : screens) {
        if (const long long shared = overlap(place, candidate); shared > most) {
            most = shared;
            screen = &candidate;
        }
    }
    Place clamped = place;
    clamped.width = std::min(place.width, screen->width);
    clamped.height = std::min(place.height, screen->height);
    clamped.x = std::clamp(place.x, screen->x, screen->x + screen->width - clamped.width);
    clamped.y = std::clamp(place.y, screen->y, screen->y + screen->height - clamped.height);
    return clamped;
}

std::vector<Place> valueCells(const Place &room, std::size_t count) {
    const int columns = count >= 4 ? 2 : std::max(1, static_cast<int>(count));
    const int rows = count >= 4 ? 2 : 1;
    const int width = room.width / columns;
    const int height = room.height / rows;
    std::vector<Place> cells;
    for (std::size_t i = 0; i < count; ++i) {
        const int column = static_cast<int>(i) % columns;
        const int row = static_cast<int>(i) / columns;
        cells.push_back({room.x + column * width, room.y + row * height, width, height});
    }
    return cells;
}

std::vector<TilePlace> overlayPlaces(const core::Settings &settings,
                                     const core::SettingsStore &store,
                                     std::span<const Place> screens) {
    const std::vector<TileKind> tiles = tileChoice(settings.OverlayTiles);
    const std::vector<Place> defaults =
        defaultPlaces(tiles, screens.empty() ? Place{0, 0, 1024, 768} : screens.front());
    std::vector<TilePlace> placed;
    for (std::size_t i = 0; i < tiles.size(); ++i) {
        const std::optional<Place> stored =
            placeFromText(core::readOverlayPlace(store, tileName(tiles[i])));
        placed.push_back({tiles[i], clampOnto(stored.value_or(defaults[i]), screens)});
    }
    return placed;
}

void savePlace(core::SettingsStore &store, TileKind kind, const Place &place) {
    core::saveOverlayPlace(store, tileName(kind), placeText(place));
}

bool needsTower(std::span<const TileKind> tiles) {
    return std::any_of(tiles.begin(), tiles.end(), [](TileKind kind) {
        return kind == TileKind::Ahead || kind == TileKind::Behind || kind == TileKind::Position;
    });
}

} // namespace ostrelo::glance
