// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/command_line.h"
#include "core/conversions.h"
#include "options.h"

#include <gtest/gtest.h>

#include <vector>

namespace ostrelo::app {
namespace {

CommandLine parse(std::vector<std::string> arguments) {
    return parseCommandLine(arguments);
}

TEST(CommandLine, ReadsTheOptions) {
    EXPECT_EQ(parse({"--config", "/tmp/a.ini"}).configPath, "/tmp/a.ini");
    EXPECT_EQ(parse({"--config=/tmp/b.ini"}).configPath, "/tmp/b.ini");
    EXPECT_EQ(immediateAnswer(std::vector<std::string>{"--demo", "-h", "-v"}), usageText());
    EXPECT_EQ(immediateAnswer(std::vector<std::string>{"--version", "--help"}), versionText());
    EXPECT_EQ(immediateAnswer(std::vector<std::string>{"--demo"}), std::nullopt);
    EXPECT_TRUE(parse({"--demo", "--config", "x.ini"}).demo);
    EXPECT_TRUE(parse({"--demo", "--overlay"}).overlay);
    EXPECT_FALSE(parse({"--demo"}).overlay);
    EXPECT_TRUE(parse({}).error.empty());
    EXPECT_FALSE(parse({"--config"}).error.empty());
    EXPECT_FALSE(parse({"--config="}).error.empty());
    EXPECT_EQ(parse({"--frobnicate"}).error, "unknown option: --frobnicate");
    const CommandLine web = parse({"--web", "192.168.001.020:8080"});
    EXPECT_EQ(web.webAddress, "192.168.001.020");
    EXPECT_EQ(web.webPort, 8080);
    EXPECT_EQ(parse({"--web=9000"}).webAddress, "0.0.0.0");
    EXPECT_EQ(parse({"--web=9000"}).webPort, 9000);
    for (const char *bad : {"0", "70000", ":8080", "localhost:8080", "1.2.3.4:", "80a"}) {
        EXPECT_NE(parse({"--web", bad}).error, "") << bad;
    }
    EXPECT_EQ(parse({"--web"}).error, "--web needs [ADDRESS:]PORT");
    EXPECT_EQ(parse({"--replay", "a.ostrelo", "--speed=4"}).speed, 4);
    EXPECT_EQ(parse({"--speed", "1"}).error, "--speed goes with --replay or --demo");
    EXPECT_EQ(parse({"--demo", "--speed", "10"}).speed, 10);
    EXPECT_EQ(parse({"--replay", "a", "--record", "b"}).error,
              "--record cannot go with --replay, which plays a session instead of a game");
    EXPECT_EQ(parse({"--demo", "--replay", "a", "--record", "b"}).error,
              "--record cannot go with --replay, which plays a session instead of a game");
    EXPECT_EQ(parse({"--demo", "--replay", "a"}).error,
              "--demo cannot go with --replay, which plays a session instead of a game");
    EXPECT_NE(parse({"--replay", "a", "--speed", "0"}).error, "");
}

TEST(CommandLine, OverridesTheSettingsForThisRun) {
    core::Settings settings;
    applyForThisRun(parse({}), settings);
    EXPECT_FALSE(settings.WebEnabled || settings.OverlayShown);
    applyForThisRun(parse({"--web", "192.168.1.20:9000", "--overlay"}), settings);
    EXPECT_TRUE(settings.WebEnabled);
    EXPECT_EQ(settings.WebAddress, "192.168.1.20");
    EXPECT_EQ(settings.WebPort, core::NumberToText(9000));
    EXPECT_TRUE(settings.OverlayShown);
}

TEST(SimulatedGameOptions, TakesItsOwnPassesQtsOnAndRefusesTheRest) {
    struct Case {
        std::vector<std::string> arguments;
        std::string error;
    };
    const Case cases[] = {
        {{"--title", "GTR Evolution", "--speed", "2.5", "--scenario", "pins.ini", "--fuel", "17"},
         ""},
        {{"-platform", "offscreen", "-geometry", "+10+0"}, ""},
        {{"--speed", "fast"}, "--speed needs a number above 0, not \"fast\""},
        {{"--speed", "0"}, "--speed needs a number above 0, not \"0\""},
        {{"--speed", "1e999"}, "--speed needs a number above 0, not \"1e999\""},
        {{"--title"}, "--title needs a value"},
        {{"--title", ""}, "--title needs a value"},
        {{"--speed", "inf"}, "--speed needs a number above 0, not \"inf\""},
        {{"--speed", "nan"}, "--speed needs a number above 0, not \"nan\""},
        {{"--fuel", "1", "--fuel", "60"}, ""},
        {{"--fuel", "0.5"}, "--fuel needs litres from 1 to 60, not \"0.5\""},
        {{"--fuel", "61"}, "--fuel needs litres from 1 to 60, not \"61\""},
        {{"--bogus"}, "unknown option: --bogus"},
        {{"stray"}, "unknown option: stray"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.arguments.front());
        EXPECT_EQ(simgame::parseOptions(c.arguments).error, c.error);
    }
    const simgame::Options options = simgame::parseOptions(cases[0].arguments);
    EXPECT_EQ(options.title, "GTR Evolution");
    EXPECT_EQ(options.speed, 2.5);
    EXPECT_EQ(options.scenarioPath, "pins.ini");
    EXPECT_EQ(options.stint, 17);
    EXPECT_EQ(simgame::parseOptions(cases[1].arguments).stint, std::nullopt);
    EXPECT_EQ(simgame::parseOptions(cases[1].arguments).toolkit, cases[1].arguments);
    EXPECT_NE(simgame::usageText().find("LastLapTime"), std::string::npos);
}

} // namespace
} // namespace ostrelo::app
