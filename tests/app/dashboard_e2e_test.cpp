#include "app/program.h"
#include "core/settings.h"
#include "fakes/fake_stream_socket.h"
#include "platform/linux/process_memory_linux.h"
#include "support/temp_dir.h"
#include "support/x_display.h"
#include "windows/bar_gauge.h"
#include "windows/main_window.h"

#include <gtest/gtest.h>

namespace ostrelo::app {
namespace {

using core::Label;

// The simulated game on a private X server, read through the real Linux backend and shown
// on the real main window.
TEST(DashboardEndToEnd, ShowsTheSimulatedGameOnTheMainWindow) {
    testing::XDisplay display;
    ASSERT_TRUE(display.running()) << display.error().toStdString();
    testing::TempDir dir;
    testing::SimulatedGame game(testing::fullScenarioArguments(dir.path()));
    ASSERT_TRUE(game.ready()) << game.errors().toStdString();

    core::AppState state;
    state.IniPath = dir.write("Ostrelo.ini", "[Opcions]\nScanTime=1000\nIdioma=English\n");
    state.settings = core::loadSettings(state.IniPath).settings;
    windows::MainWindow window(0);
    platform::LinuxProcessMemory memory;
    testing::FakeStreamSocket server;
    testing::FakeStreamSocket client;
    Program program(state, window, memory, server, client);
    window.setEvents(&program);
    program.setDecimalSeparator(',');
    program.applySettings();
    window.stopScanTimer();

    for (int tick = 0; tick < 4; ++tick) {
        program.scanTick();
        EXPECT_EQ(window.caption(Label::Label1), "Scanning...");
    }
    program.scanTick();
    EXPECT_EQ(window.caption(Label::Label1), "RACE07 RUNNING");
    EXPECT_EQ(window.caption(Label::Label30), "Lince Turbo 16V");
    EXPECT_EQ(window.caption(Label::Label28), "Anella Sud");
    EXPECT_EQ(window.caption(Label::Label14), " 4");
    EXPECT_EQ(window.caption(Label::Label32), " 7");
    EXPECT_EQ(window.caption(Label::Label16), "42,50L");
    EXPECT_EQ(window.caption(Label::Label17), " 90");
    EXPECT_EQ(window.caption(Label::Label18), " 105");
    EXPECT_EQ(window.caption(Label::Label2), " 80");
    EXPECT_EQ(window.caption(Label::Label24), " 190kPA");
    EXPECT_EQ(window.caption(Label::Label43), " 400\u00BAC");
    EXPECT_EQ(window.caption(Label::Label22), "Best: 1:37,500");
    EXPECT_EQ(window.caption(Label::Label23), "Last: 1:38,250");
    EXPECT_EQ(window.caption(Label::Label35), "75");
    EXPECT_EQ(window.caption(Label::Label41), "Amb: 22\u00BAC");
    EXPECT_EQ(window.lamp(3)->text(), QStringLiteral("Pos  4 -  3:Marta Vidal"));
    EXPECT_EQ(window.lamp(4)->text(), QStringLiteral("TC HIGH"));
    EXPECT_TRUE(window.lamp(6)->isEnabled());
    EXPECT_FALSE(window.lamp(1)->isEnabled());
    EXPECT_EQ(window.bar(4)->text(), QStringLiteral(" 95"));
    EXPECT_EQ(window.bar(3)->text(), QStringLiteral(" 6684"));
    EXPECT_FALSE(window.marker(1)->isVisibleTo(&window));
    EXPECT_TRUE(window.marker(4)->isVisibleTo(&window));

    game.kill();
    for (int tick = 0; tick < 3; ++tick) {
        program.scanTick();
    }
    EXPECT_EQ(window.caption(Label::Label1), "RACE07 NOT RUNNING");
    EXPECT_EQ(window.caption(Label::Label30), "Lince Turbo 16V");
}

} // namespace
} // namespace ostrelo::app
