// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/ini_file.h"
#include "core/ip_address.h"
#include "core/settings.h"
#include "core/settings_location.h"
#include "core/settings_store.h"
#include "support/error_capture.h"
#include "support/portable.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace ostrelo::core {
namespace {

using testing::TempDir;

TEST(LoadSettings, ReadsNumbersAndFlagsInEveryAcceptedForm) {
    TempDir dir;
    const std::string path =
        dir.write("Ostrelo.ini", "[Opcions]\nScanTime=10\nTipusConexio=2\nPort=065535\n"
                                 "NoGrafics=-1\nDadesServ=false\nBackgroundColor=&HFF8000\n"
                                 "PosFormX=-1500\n[MaxMin]\nMaxPneu=\nMinPneu=75.5\n"
                                 "[Depurar]\nDepurar=True\n[Web]\nEnabled=True\n"
                                 "Address=192.168.001.020\nPort=08080\n[Radio]\nVolume=100\n"
                                 "[Engineer]\nReserve=3\n");
    const LoadedSettings loaded = loadSettings(SettingsStore(path));
    const Settings &s = loaded.settings;
    EXPECT_TRUE(loaded.problems.empty());
    EXPECT_EQ(s.ScanTime, 10);
    EXPECT_EQ(s.TipusConexio, ConnectionMode::Client);
    EXPECT_EQ(s.Port, " 65535");
    EXPECT_TRUE(s.NoGrafics);
    EXPECT_FALSE(s.DadesServ);
    EXPECT_EQ(s.BackgroundColor, 0xFF8000);
    EXPECT_EQ(s.PosFormX, -1500);
    EXPECT_EQ(s.MaxPneu, 100);
    EXPECT_EQ(s.MinPneu, 76);
    EXPECT_TRUE(s.Depurar);
    EXPECT_TRUE(s.WebEnabled);
    EXPECT_EQ(s.WebAddress, "192.168.001.020");
    EXPECT_EQ(s.WebPort, " 8080");
    EXPECT_EQ(s.RadioVolume, 100);
    EXPECT_EQ(s.EngineerReserve, 3);
}

TEST(LoadSettings, ReportsEveryValueItReplacesAndUsesTheDefault) {
    struct Case {
        const char *section;
        const char *key;
        const char *stored;
        SettingRule rule;
        const char *replacement;
    };
    using enum SettingRule;
    const Case cases[] = {
        {"Opcions", "ScanTime", "40000", Range, "500"},
        {"Opcions", "ScanTime", "abc", Number, "500"},
        {"Opcions", "ScanTime", "-20", ScanTime, "500"},
        {"Opcions", "ScanTime", "5", ScanTime, "500"},
        {"Opcions", "TipusConexio", "5", ConnectionMode, "0"},
        {"Opcions", "TipusConexio", "-1", ConnectionMode, "0"},
        {"Opcions", "TipusConexio", "3", ConnectionMode, "0"},
        {"Opcions", "TipusConexio", "70000", ConnectionMode, "0"},
        {"Opcions", "TipusConexio", "one", Number, "0"},
        {"Opcions", "Port", "65536", Port, "1001"},
        {"Opcions", "Port", "80.5", Port, "1001"},
        {"Opcions", "Port", "80abc", Number, "1001"},
        {"Opcions", "Port", "0", Port, "1001"},
        {"Opcions", "IP", "192.168.0.2", Address, "192.168.000.002"},
        {"Opcions", "NoGrafics", "yes", Flag, "False"},
        {"Opcions", "Unitats", "imperial", Units, "Metric"},
        {"Opcions", "PosFormX", "99999999999", Range, "0"},
        {"Opcions", "BackgroundColor", "-1", Colour, "0"},
        {"MaxMin", "MinPneu", "NaN", Number, "80"},
        {"MaxMin", "MaxPress", "1e9", Range, "220"},
        {"Administrar", "Administrar", "maybe", Flag, "False"},
        {"Web", "Port", "0", Port, "8080"},
        {"Web", "Address", "192.168.1", ListenAddress, "127.0.0.1"},
        {"Web", "Address", "localhost", ListenAddress, "127.0.0.1"},
        {"Web", "Address", "1.2.3.4.5", ListenAddress, "127.0.0.1"},
        {"Radio", "Volume", "101", Range, "80"},
        {"Engineer", "Reserve", "4", Range, "1"},
    };
    TempDir dir;
    const Settings defaults;
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(c.key) + "=" + c.stored);
        const std::string path = dir.write("Ostrelo.ini", "[" + std::string(c.section) + "]\n" +
                                                              c.key + "=" + c.stored + "\n");
        const LoadedSettings loaded = loadSettings(SettingsStore(path));
        ASSERT_EQ(loaded.problems.size(), 1u);
        const SettingProblem &problem = loaded.problems[0];
        EXPECT_EQ(problem.section, c.section);
        EXPECT_EQ(problem.key, c.key);
        EXPECT_EQ(problem.storedText, c.stored);
        EXPECT_EQ(problem.rule, c.rule);
        EXPECT_EQ(problem.replacement, c.replacement);
        // What is used is the default, and nothing is written while reading.
        EXPECT_EQ(loaded.settings.ScanTime, defaults.ScanTime);
        EXPECT_EQ(loaded.settings.TipusConexio, defaults.TipusConexio);
        EXPECT_EQ(loaded.settings.Port, defaults.Port);
        EXPECT_EQ(loaded.settings.IP, defaults.IP);
        EXPECT_EQ(loaded.settings.Unitats, defaults.Unitats);
        EXPECT_EQ(loaded.settings.BackgroundColor, defaults.BackgroundColor);
        EXPECT_EQ(loaded.settings.MinPneu, defaults.MinPneu);
        EXPECT_EQ(ReadIni(path, c.section, c.key, ""), c.stored);
    }
}

TEST(WriteThresholds, WritesTheEightKeysWithTheirLeadingBlank) {
    TempDir dir;
    Settings s;
    s.MaxPneu = 105;
    s.MinFrens = -10;
    SettingsStore store(dir.file("Ostrelo.ini"));
    writeThresholds(s, store);
    EXPECT_EQ(dir.read("Ostrelo.ini"), "[MaxMin]\nMaxPneu= 105\nMinPneu= 80\nMaxMotor= 100\n"
                                       "MinMotor= 90\nMaxPress= 220\nMinPress= 180\n"
                                       "MaxFrens= 600\nMinFrens=-10\n");
}

TEST(SettingsFilePath, PrefersTheOptionThenTheProgramFolderThenXdg) {
    const std::string root = testing::kRoot;
    SettingsLocationFacts facts;
    facts.programFolder = root + "opt/ostrelo";
    facts.home = root + "home/ana";
    EXPECT_EQ(settingsFilePath(facts),
              testing::native(root + "home/ana/.config/Ostrelo/Ostrelo.ini"));
    facts.xdgConfigHome = "relative/path";
    EXPECT_EQ(settingsFilePath(facts),
              testing::native(root + "home/ana/.config/Ostrelo/Ostrelo.ini"));
    facts.xdgConfigHome = root + "xdg";
    EXPECT_EQ(settingsFilePath(facts), testing::native(root + "xdg/Ostrelo/Ostrelo.ini"));
    facts.iniExistsInProgramFolder = true;
    EXPECT_EQ(settingsFilePath(facts), testing::native(root + "opt/ostrelo/Ostrelo.ini"));
    facts.configOption = "/tmp/server.ini";
    EXPECT_EQ(settingsFilePath(facts), "/tmp/server.ini");
    EXPECT_EQ(settingsFolder("/tmp/server.ini"), "/tmp");
    EXPECT_EQ(settingsFolder("server.ini"), ".");
}

// A user's or a folder's name beyond ASCII comes out as it went in.
TEST(SettingsFilePath, KeepsEveryLetterOfTheFolderNames) {
    const std::string root = testing::kRoot;
    SettingsLocationFacts facts;
    facts.home = root + "Users/Jörg Łukasz";
    EXPECT_EQ(settingsFilePath(facts),
              testing::native(root + "Users/Jörg Łukasz/.config/Ostrelo/Ostrelo.ini"));
    facts.programFolder = root + "Programmes/Ostrelo ñ";
    facts.iniExistsInProgramFolder = true;
    EXPECT_EQ(settingsFilePath(facts), testing::native(root + "Programmes/Ostrelo ñ/Ostrelo.ini"));
    EXPECT_EQ(settingsFolder(root + "Users/日本/Ostrelo.ini"), root + "Users/日本");
}

TEST(ValidIp, AcceptsOnlyTheFixedFifteenCharacterForm) {
    struct Case {
        const char *text;
        bool valid;
    };
    const Case cases[] = {
        {"192.168.000.002", true},  {"255.255.255.255", true},   {"000.000.000.000", true},
        {" 12.001.002.003", true},  {"192.168.0.2", false},      {"256.000.000.001", false},
        {"192,168,000,002", false}, {"192.168.000.0022", false}, {"", false},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(Valid_IP(c.text), c.valid);
    }
    testing::ErrorCapture capture;
    EXPECT_FALSE(Valid_IP("abc.168.000.002"));
    EXPECT_FALSE(Valid_IP("1.5.168.000.002"));
    ASSERT_EQ(capture.reports().size(), 2u);
    EXPECT_EQ(capture.reports()[0].routine, "Valid_IP");
}

TEST(RemoteAddress, DropsTheLeadingZeros) {
    EXPECT_EQ(RemoteAddress("192.168.000.002"), "192.168.0.2");
    EXPECT_EQ(RemoteAddress("010.000.000.001"), "10.0.0.1");
    EXPECT_EQ(plainListenAddress("010.000.0.001"), "10.0.0.1");
    for (const char *bad : {"1.2.3.", ".1.2.3", "1..2.3", "1.2.3.4x", "1234.1.1.1", "-1.2.3.4"}) {
        EXPECT_FALSE(isListenAddress(bad)) << bad;
    }
    EXPECT_TRUE(isListenAddress("0.0.0.0"));
}

} // namespace
} // namespace ostrelo::core
