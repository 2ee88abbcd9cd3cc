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

// A voice that keeps what it is asked to say, and speaks until told it has finished.
struct HeardVoice : radio::Voice {
    bool ready() const override { return true; }
    bool speaking() const override { return busy; }
    void say(const std::string &text, const std::string &, double) override {
        said.push_back(text);
        busy = true;
    }
    void finish() {
        busy = false;
        onFinished();
    }
    std::vector<std::string> said;
    bool busy = false;
};

// The engineer counts with the plan the settings hold from the start; what the driver chooses
// is followed and kept; a sample shown reaches the engineer and the radio, whose voice, made
// once the radio is on, says each call in turn, the fuel in the settings' units.
TEST(PitWall, FollowsAndKeepsWhatTheDriverChooses) {
    testing::TempDir dir;
    const std::string ini =
        dir.write("Ostrelo.ini", "[Engineer]\nReserve=3\nHighest=True\n[Radio]\nEnabled=True\n");
    runtime::AppState state;
    openSettings(state, ini);
    HeardVoice *voice = nullptr;
    PitWall wall(state.store, state.settings, nullptr, [&voice] {
        auto made = std::make_unique<HeardVoice>();
        voice = made.get();
        return made;
    });
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

    quiet.muted = false;
    wall.chooseRadio(quiet);
    state.settings.Unitats = core::Units::Imperial;
    wall.engineer().setRaceLength({engineer::RaceLength::Kind::Laps, 20});
    telemetry::TelemetrySample s;
    s.Ignition = 1;
    for (int lap = 1; lap <= 6; ++lap) {
        s.LapNumber = static_cast<std::int16_t>(lap);
        s.Position = static_cast<std::int16_t>(std::max(3, 6 - lap));
        s.LastLapTime = lap > 1 ? 90 : 0;
        s.Fuel = 40 - 3.0F * static_cast<float>(lap);
        s.InPits = lap == 6 ? 1 : 0;
        wall.take(s, 1000 * lap, i18n::findLanguage("English")->texts);
    }
    EXPECT_EQ(wall.engineer().laps().size(), 4u) << "the laps seen whole";
    ASSERT_NE(voice, nullptr);
    voice->finish();
    voice->finish();
    EXPECT_EQ(voice->said, (std::vector<std::string>{"Up to position 4", "Up to position 3",
                                                     "Add 6.1 gallons"}));
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
