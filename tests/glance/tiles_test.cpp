// SPDX-License-Identifier: GPL-3.0-or-later
#include "glance/tiles.h"
#include "i18n/language_table.h"

#include <gtest/gtest.h>

namespace ostrelo::glance {
namespace {

using dashboard::rgb;

TEST(TileChoice, KeepsKnownNamesInTheirOrderOnce) {
    const std::vector<TileKind> driving(defaultTiles().begin(), defaultTiles().end());
    const struct {
        const char *list;
        std::vector<TileKind> tiles;
    } cases[] = {
        {"gear,speed,fuel", {TileKind::Gear, TileKind::Speed, TileKind::Fuel}},
        {"fuel, gear ,fuel,nitro,", {TileKind::Fuel, TileKind::Gear}},
        {"status,ahead,behind,lamps",
         {TileKind::Status, TileKind::Ahead, TileKind::Behind, TileKind::Lamps}},
        {"", driving},
        {"GEAR,nitro", driving},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.list);
        EXPECT_EQ(tileChoice(c.list), c.tiles);
    }
    for (std::size_t kind = 0; kind < kTileKindCount; ++kind) {
        EXPECT_EQ(tileKind(tileName(static_cast<TileKind>(kind))), static_cast<TileKind>(kind));
    }
    EXPECT_EQ(driving.front(), TileKind::Gear);
}

TEST(ShiftLights, ComeOnAsTheEngineNearsItsMaximum) {
    const struct {
        double fraction;
        int lit;
    } cases[] = {{0, 0}, {0.79, 0}, {0.80, 1}, {0.87, 2}, {0.88, 3}, {0.95, 4}, {0.96, 5}, {1, 5}};
    for (const auto &c : cases) {
        EXPECT_EQ(shiftLightsLit(c.fraction), c.lit) << c.fraction;
    }
}

// A screen as the window shows it, and the tiles made from it, the sample it showed, the
// engineer's report and the tower.
class TilesTest : public ::testing::Test {
protected:
    TilesTest() {
        screen.gear = " 4";
        screen.speed = {" 187", 187, 300};
        screen.rpm = {" 7600", 7600, 8000};
        screen.lapNumber = " 12";
        screen.fuel = "45,30L";
        screen.waterTemp = {" 95", rgb(0, 255, 0)};
        screen.oilTemp = {" 130", rgb(255, 0, 0)};
        for (std::size_t wheel = 0; wheel < 4; ++wheel) {
            screen.tyreTemp[wheel] = {{{" 70", rgb(0, 0, 255)},
                                       {" 8" + std::to_string(wheel), rgb(0, 255, 0)},
                                       {" 99", rgb(255, 0, 0)}}};
        }
        screen.waterCaption = "Water";
        screen.oilCaption = "Oil";
        screen.ignition = {"CONTACT", true};
        screen.pitLimiter = {"SPD LIMIT", false};
        screen.gameStatus = "RACE07 RUNNING";
        screen.linkStatus = "LISTENING";
        sample.Position = 3;
        sample.LastLapTime = 95.5F;
        sample.BestLapTime = 95.25F;
        report.lapsOfFuelValue = "6,2";
        report.toAddValue = "12,00 L";
        report.toAdd = "Fuel to add: 12,00 L";
        tower = {line("Eric Lund", "", false), line("Marta Vidal", "+1,2", true),
                 line("Joan Ribas", "+0,4", false)};
    }

    static standings::TowerLine line(const char *driver, const char *gap, bool followed) {
        standings::TowerLine l;
        l.driver = driver;
        l.gap = gap;
        l.followed = followed;
        return l;
    }

    std::vector<Tile> made() const {
        return makeTiles({screen, &sample, report, tower, english, false, ','});
    }

    const Tile &of(const std::vector<Tile> &tiles, TileKind kind) const {
        return tiles[static_cast<std::size_t>(kind)];
    }

    static std::vector<std::string> texts(const Tile &tile) {
        std::vector<std::string> shown;
        for (const TileValue &value : tile.values) {
            shown.push_back(value.text);
        }
        return shown;
    }

    const i18n::Texts &english = i18n::findLanguage("English")->texts;
    dashboard::Screen screen;
    telemetry::TelemetrySample sample;
    engineer::EngineerReport report;
    std::vector<standings::TowerLine> tower;
};

TEST_F(TilesTest, ShowWhatTheWindowShowsInItsLanguage) {
    const std::vector<Tile> tiles = made();
    ASSERT_EQ(tiles.size(), kTileKindCount);
    const struct {
        TileKind kind;
        const char *caption;
        std::vector<std::string> values;
        const char *unit;
        const char *detail;
    } cases[] = {
        {TileKind::Gear, "Gear", {"4"}, "", ""},
        {TileKind::Speed, "Speed", {"187"}, "km/h", ""},
        {TileKind::Rpm, "RPM", {"7600"}, "", ""},
        {TileKind::Position, "Position", {"3"}, "/3", ""},
        {TileKind::Lap, "Lap", {"12"}, "", ""},
        {TileKind::LastLap, "Last", {"1:35,500"}, "", ""},
        {TileKind::BestLap, "Best", {"1:35,250"}, "", ""},
        {TileKind::AgainstBest, "Against best", {"+0,250"}, "", ""},
        {TileKind::Fuel, "Fuel", {"45,30L"}, "", ""},
        {TileKind::FuelLaps, "Laps of fuel", {"6,2"}, "", ""},
        {TileKind::FuelToAdd, "To add", {"12,00 L"}, "", "Fuel to add: 12,00 L"},
        {TileKind::Tyres, "Tyres", {"80", "81", "82", "83"}, "", ""},
        {TileKind::Engine, "Engine", {"95", "130"}, "", "Water / Oil"},
        {TileKind::Ahead, "Ahead", {"+1,2"}, "", "Eric Lund"},
        {TileKind::Behind, "Behind", {"+0,4"}, "", "Joan Ribas"},
        {TileKind::Status, "Status", {"RACE07 RUNNING"}, "", "LISTENING"},
    };
    for (const auto &c : cases) {
        const Tile &tile = of(tiles, c.kind);
        SCOPED_TRACE(tileName(c.kind));
        EXPECT_EQ(tile.caption, c.caption);
        EXPECT_EQ(texts(tile), c.values);
        EXPECT_EQ(tile.unit, c.unit);
        EXPECT_EQ(tile.detail, c.detail);
    }
    // The threshold colours as the window has them; the rpm's bar and lights.
    EXPECT_EQ(of(tiles, TileKind::Engine).values[1].background, rgb(255, 0, 0));
    EXPECT_EQ(of(tiles, TileKind::Tyres).values[2].background, rgb(0, 255, 0));
    EXPECT_DOUBLE_EQ(of(tiles, TileKind::Rpm).fill, 0.95);
    EXPECT_EQ(of(tiles, TileKind::Rpm).lightsLit, 4);
    screen.rpm = {" 8400", 8400, 8000};
    EXPECT_DOUBLE_EQ(of(made(), TileKind::Rpm).fill, 1.0) << "over the maximum, the bar is full";
    const std::vector<dashboard::Lamp> &lamps = of(tiles, TileKind::Lamps).lamps;
    ASSERT_EQ(lamps.size(), 7u);
    EXPECT_EQ(lamps[0], screen.pitLimiter);
    EXPECT_EQ(lamps[5], screen.ignition);
    // In another language and units.
    const std::vector<Tile> german = makeTiles(
        {screen, &sample, report, tower, i18n::findLanguage("Deutsch")->texts, true, ','});
    EXPECT_EQ(of(german, TileKind::Speed).caption, "Tempo");
    EXPECT_EQ(of(german, TileKind::Speed).unit, "mph");
}

TEST_F(TilesTest, SayWhatIsNotKnownYet) {
    const struct {
        const char *what;
        float last;
        float best;
        std::string against;
        std::optional<dashboard::Colour> colour;
    } cases[] = {
        {"a new best", 95.25F, 95.25F, "+0,000", rgb(0, 160, 0)},
        {"a little slower", 95.75F, 95.25F, "+0,500", std::nullopt},
        {"more than a second slower", 96.5F, 95.25F, "+1,250", rgb(200, 0, 0)},
        {"no best yet", 95.5F, 0, "-", std::nullopt},
        {"no lap yet", 0, 95.25F, "-", std::nullopt},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        sample.LastLapTime = c.last;
        sample.BestLapTime = c.best;
        const std::vector<Tile> tiles = made();
        const TileValue &against = of(tiles, TileKind::AgainstBest).values.at(0);
        EXPECT_EQ(against.text, c.against);
        EXPECT_EQ(against.background, c.colour);
    }
    // The leader has no car ahead, the last car none behind; no tower, no field.
    tower[0].followed = true;
    tower[1].followed = false;
    EXPECT_EQ(texts(of(made(), TileKind::Ahead)), std::vector<std::string>{"-"});
    EXPECT_EQ(of(made(), TileKind::Behind).detail, "Marta Vidal");
    tower.clear();
    EXPECT_EQ(of(made(), TileKind::Position).unit, "");
    EXPECT_EQ(of(made(), TileKind::Behind).detail, "");
    // Before the first sample, and before the engineer has figures.
    report = {};
    const std::vector<Tile> none = makeTiles({screen, nullptr, report, tower, english, false, '.'});
    for (const TileKind kind : {TileKind::Position, TileKind::LastLap, TileKind::BestLap,
                                TileKind::FuelLaps, TileKind::FuelToAdd}) {
        EXPECT_EQ(texts(of(none, kind)), std::vector<std::string>{"-"}) << tileName(kind);
    }
}

} // namespace
} // namespace ostrelo::glance
