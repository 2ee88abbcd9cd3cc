#include "app/command_line.h"

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
    EXPECT_TRUE(parse({"-h"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
    EXPECT_TRUE(parse({"--demo", "--config", "x.ini"}).demo);
    EXPECT_TRUE(parse({}).error.empty());
    EXPECT_FALSE(parse({"--config"}).error.empty());
    EXPECT_FALSE(parse({"--config="}).error.empty());
    EXPECT_EQ(parse({"--frobnicate"}).error, "unknown option: --frobnicate");
    EXPECT_EQ(versionText(), "Ostrelo 1.1.1.20\n");
}

} // namespace
} // namespace ostrelo::app
