// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/pit_wall.h"
#include "app/program.h"
#include "app/radio_settings.h"
#include "app/startup.h"
#include "fakes/fake_process_memory.h"
#include "fakes/fake_stream_socket.h"
#include "fakes/recording_view.h"
#include "i18n/language_table.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

namespace ostrelo::app {
namespace {

// The radio and the fuel plan come from the settings file and go back to it, each key only
// once it differs from what the file holds; a value out of range is refused as such.
TEST(RadioSettings, ReadAndStoreOnlyWhatChanged) {
    testing::TempDir dir;
    const std::string ini = dir.write("Ostrelo.ini", "[Radio]\nVolume=150\nCalls=box,nitro\n");
    runtime::AppState state;
    const std::vector<std::string> notices = openSettings(state, ini);
    ASSERT_EQ(notices.size(), 1u);
    EXPECT_NE(notices[0].find("[Radio] Volume"), std::string::npos) << notices[0];
    radio::RadioSettings radio = radioSettings(state.settings);
    EXPECT_FALSE(radio.enabled);
    EXPECT_EQ(radio.volume, 80);
    EXPECT_EQ(radio.kinds, std::set<radio::CallKind>{radio::CallKind::BoxThisLap});
    EXPECT_EQ(fuelPlan(state.settings), (engineer::FuelPlan{1, false}));

    // Nothing chosen differs: nothing is written.
    ASSERT_TRUE(state.store.flush());
    const std::string before = dir.read("Ostrelo.ini");
    storeRadio(state.store, state.settings, radio);
    storeFuelPlan(state.store, state.settings, {1, false});
    ASSERT_TRUE(state.store.flush());
    EXPECT_EQ(dir.read("Ostrelo.ini"), before);

    radio.enabled = true;
    radio.volume = 35;
    radio.kinds.insert(radio::CallKind::AgainstBest);
    storeRadio(state.store, state.settings, radio);
    storeFuelPlan(state.store, state.settings, {9, true});
    ASSERT_TRUE(state.store.flush());
    const std::string after = dir.read("Ostrelo.ini");
    EXPECT_NE(after.find("[Radio]\nVolume= 35\nCalls=box,against\nEnabled=True\n"),
              std::string::npos)
        << after;
    EXPECT_NE(after.find("[Engineer]\nReserve= 3\nHighest=True\n"), std::string::npos) << after;
    EXPECT_EQ(after.find("Muted"), std::string::npos);

    runtime::AppState again;
    openSettings(again, ini);
    EXPECT_EQ(radioSettings(again.settings), radio);
    EXPECT_EQ(fuelPlan(again.settings), (engineer::FuelPlan{3, true}));
}

// The engineer counts with the plan the settings hold from the start; what the driver chooses
// is followed and kept; a sample shown reaches the engineer and the radio.
TEST(PitWall, FollowsAndKeepsWhatTheDriverChooses) {
    testing::TempDir dir;
    const std::string ini =
        dir.write("Ostrelo.ini", "[Engineer]\nReserve=3\nHighest=True\n[Radio]\nEnabled=True\n");
    runtime::AppState state;
    openSettings(state, ini);
    PitWall wall(state.store, state.settings, nullptr);
    EXPECT_EQ(wall.engineer().fuelPlan(), (engineer::FuelPlan{3, true}));
    wall.choosePlan({0, false});
    EXPECT_EQ(wall.engineer().fuelPlan(), (engineer::FuelPlan{0, false}));
    radio::RadioSettings quiet = radioSettings(state.settings);
    quiet.muted = true;
    wall.chooseRadio(quiet);
    ASSERT_TRUE(state.store.flush());
    runtime::AppState again;
    openSettings(again, ini);
    EXPECT_EQ(fuelPlan(again.settings), (engineer::FuelPlan{0, false}));
    EXPECT_EQ(radioSettings(again.settings), quiet);

    telemetry::TelemetrySample s;
    s.Ignition = 1;
    for (const int lap : {1, 2, 3}) {
        s.LapNumber = static_cast<std::int16_t>(lap);
        s.Position = static_cast<std::int16_t>(6 - lap);
        s.LastLapTime = lap > 1 ? 90 : 0;
        wall.take(s, 1000 * lap, i18n::findLanguage("English")->texts);
    }
    EXPECT_EQ(wall.engineer().laps().size(), 1u) << "the lap seen whole";
    ASSERT_FALSE(wall.radio().lines().empty());
    EXPECT_EQ(wall.radio().lines().front().text, "Up to position 3");
}

// The Options menu turns the radio on and off, stores it, and marks it.
TEST(RadioSettings, TheMenuItemTurnsTheRadioOnAndOff) {
    testing::TempDir dir;
    runtime::AppState state;
    testing::RecordingView view;
    testing::FakeProcessMemory memory;
    testing::FakeStreamSocket server;
    testing::FakeStreamSocket client;
    Program program{state, view, memory, server, client};
    openSettings(state, dir.write("Ostrelo.ini", "[Opcions]\nIdioma=English\n"));
    program.start('.');
    int changes = 0;
    program.onRadioChanged = [&changes] { ++changes; };
    EXPECT_EQ(view.screen.menu(dashboard::MenuItem::Radio).caption, "Engineer's radio");
    for (const bool on : {true, false}) {
        program.menuChosen(dashboard::MenuItem::Radio);
        EXPECT_EQ(state.settings.RadioEnabled, on);
        EXPECT_EQ(view.screen.menu(dashboard::MenuItem::Radio).checked, on);
        ASSERT_TRUE(state.store.flush());
        EXPECT_NE(
            dir.read("Ostrelo.ini").find(on ? "[Radio]\nEnabled=True" : "[Radio]\nEnabled=False"),
            std::string::npos);
    }
    EXPECT_EQ(changes, 2);
}

} // namespace
} // namespace ostrelo::app
