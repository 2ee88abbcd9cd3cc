// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/settings.h"
#include "core/settings_store.h"
#include "glance/overlay_places.h"

#include <gtest/gtest.h>

namespace ostrelo::glance {
namespace {

TEST(OverlayPlaces, ReadsOnlyFourWholeNumbersWithSidesInRange) {
    const struct {
        const char *text;
        std::optional<Place> place;
    } cases[] = {
        {"10,20,160,110", Place{10, 20, 160, 110}},
        {" -5 , 7,40,4000", Place{-5, 7, 40, 4000}},
        {"10,20,39,110", std::nullopt},
        {"10,20,160,4001", std::nullopt},
        {"10,20,160", std::nullopt},
        {"10,20,160,110,5", std::nullopt},
        {"10,20,1e2,110", std::nullopt},
        {"10,,160,110", std::nullopt},
        {"10,20,160,110px", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(placeFromText(c.text), c.place);
    }
    EXPECT_EQ(placeText({-5, 7, 40, 4000}), "-5,7,40,4000");
}

TEST(OverlayPlaces, ClampsOntoTheScreenTheTileOverlapsMost) {
    const Place screens[] = {{0, 0, 1920, 1040}, {1920, 0, 1280, 1024}};
    const struct {
        Place place;
        Place clamped;
    } cases[] = {
        {{100, 100, 160, 110}, {100, 100, 160, 110}},
        // Mostly on the second screen.
        {{1850, 100, 160, 110}, {1920, 100, 160, 110}},
        // On none: back on the primary.
        {{3300, 50, 160, 110}, {1760, 50, 160, 110}},
        {{100, -50, 160, 110}, {100, 0, 160, 110}},
        {{-10, 0, 2000, 1200}, {0, 0, 1920, 1040}},
        // Half on each: the first screen.
        {{1840, 100, 160, 110}, {1760, 100, 160, 110}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(placeText(c.place));
        EXPECT_EQ(clampOnto(c.place, screens), c.clamped);
    }
    EXPECT_EQ(clampOnto({5000, 5000, 50, 50}, {}), (Place{5000, 5000, 50, 50}));
}

TEST(OverlayPlaces, DefaultPlacesRunInRowsAcrossTheTopOfTheScreen) {
    const TileKind tiles[] = {TileKind::Gear, TileKind::Rpm, TileKind::Speed};
    EXPECT_EQ(defaultPlaces(tiles, {0, 0, 1920, 1040}),
              (std::vector<Place>{{8, 8, 160, 110}, {176, 8, 320, 110}, {504, 8, 160, 110}}));
    EXPECT_EQ(
        defaultPlaces(tiles, {100, 50, 500, 700}),
        (std::vector<Place>{{108, 58, 160, 110}, {108, 176, 320, 110}, {108, 294, 160, 110}}));
    // A tile that ends a gap from the screen's edge fits in its row.
    EXPECT_EQ(defaultPlaces(std::span(tiles, 2), {0, 0, 504, 400}),
              (std::vector<Place>{{8, 8, 160, 110}, {176, 8, 320, 110}}));
}

TEST(OverlayPlaces, ValuesShareTheirTileInOneRowOrTwoRowsOfTwo) {
    const Place room{10, 20, 200, 100};
    const struct {
        std::size_t count;
        std::vector<Place> cells;
    } cases[] = {
        {1, {{10, 20, 200, 100}}},
        {2, {{10, 20, 100, 100}, {110, 20, 100, 100}}},
        {4, {{10, 20, 100, 50}, {110, 20, 100, 50}, {10, 70, 100, 50}, {110, 70, 100, 50}}},
        {0, {}},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(valueCells(room, c.count), c.cells) << c.count;
    }
}

TEST(OverlayPlaces, TakesTheKeptPlacesOfTheChosenTilesAndDefaultsForTheRest) {
    core::SettingsStore store =
        core::SettingsStore::inMemory("[Overlay]\nShown=True\nLocked=False\n"
                                      "Tiles=speed, gear,bogus,speed\nspeed=3000,10,200,100\n"
                                      "gear=nonsense\n");
    const core::LoadedSettings loaded = core::loadSettings(store);
    EXPECT_TRUE(loaded.problems.empty());
    EXPECT_TRUE(loaded.settings.OverlayShown);
    EXPECT_FALSE(loaded.settings.OverlayLocked);
    const Place screens[] = {{0, 0, 1920, 1040}};
    EXPECT_EQ(overlayPlaces(loaded.settings, store, screens),
              (std::vector<TilePlace>{{TileKind::Speed, {1720, 10, 200, 100}},
                                      {TileKind::Gear, {176, 8, 160, 110}}}));

    savePlace(store, TileKind::Gear, {5, 6, 70, 80});
    EXPECT_EQ(core::readOverlayPlace(store, "gear"), "5,6,70,80");
    EXPECT_EQ(overlayPlaces(loaded.settings, store, screens)[1].place, (Place{5, 6, 70, 80}));
    // Nothing chosen: the default tiles, and the switches at their defaults.
    const core::SettingsStore empty = core::SettingsStore::inMemory();
    const core::Settings defaults = core::loadSettings(empty).settings;
    EXPECT_FALSE(defaults.OverlayShown);
    EXPECT_TRUE(defaults.OverlayLocked);
    EXPECT_EQ(overlayPlaces(defaults, empty, screens).size(), defaultTiles().size());
}

TEST(OverlayPlaces, TheTowerIsNeededForTheCarsAroundAndThePosition) {
    const struct {
        std::vector<TileKind> tiles;
        bool needed;
    } cases[] = {
        {{TileKind::Gear, TileKind::Speed, TileKind::Lamps}, false},
        {{TileKind::Gear, TileKind::Behind}, true},
        {{TileKind::Ahead}, true},
        {{TileKind::Position}, true},
        {{}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.tiles.size());
        EXPECT_EQ(needsTower(c.tiles), c.needed);
    }
}

} // namespace
} // namespace ostrelo::glance
