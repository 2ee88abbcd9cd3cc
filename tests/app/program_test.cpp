// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/address_map.h"
#include "app/program.h"
#include "app/startup.h"
#include "core/ini_file.h"
#include "core/settings.h"
#include "fakes/fake_process_memory.h"
#include "fakes/fake_stream_socket.h"
#include "fakes/recording_view.h"
#include "i18n/language_table.h"
#include "net/frame.h"
#include "replay/replay_player.h"
#include "support/error_capture.h"
#include "support/portable.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace ostrelo::app {
namespace {

using dashboard::MenuItem;

class ProgramTest : public ::testing::Test {
protected:
    // The start-up as the program runs it: read the settings, write the thresholds back,
    // load the main window.
    void start(std::string_view iniText = {}) {
        if (!iniText.empty()) {
            dir.write("Ostrelo.ini", iniText);
        }
        openSettings(state, dir.file("Ostrelo.ini"));
        program.start('.');
    }

    // The game running, its car slot array mapped, the local driver in slot 0, ignition on.
    void runGame() {
        namespace address = acquisition::address;
        memory.windows["RACE 07"] = 1;
        memory.map(address::InPits,
                   address::slotField(63, address::CarName) + 50 - address::InPits);
        memory.placeText(address::LocalDriver, "Marta Vidal\\x");
        memory.placeText(address::slotField(0, address::DriverName),
                         std::string("Marta Vidal\0", 12));
        memory.placeValue<std::uint8_t>(address::Ignition, 1);
    }

    // A frame of `sample` arriving on a connected client.
    void receive(const telemetry::TelemetrySample &sample) {
        client.currentState = platform::kSocketConnected;
        client.incoming = net::writeSampleFrame(sample, 0, "RACE07 RUNNING", '.');
        program.TCPClient_DataArrival();
    }

    // A sample of a running car.
    static telemetry::TelemetrySample lince() {
        telemetry::TelemetrySample sample;
        sample.CarName = "Lince Turbo 16V";
        sample.Ignition = 1;
        return sample;
    }

    // Ticks until the screen says its values are old, for at most 20 s.
    void tickUntilOld() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (view.screen.oldDataNotice.empty() && std::chrono::steady_clock::now() < deadline) {
            program.scanTick();
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    }

    testing::TempDir dir;
    runtime::AppState state;
    testing::RecordingView view;
    testing::FakeProcessMemory memory;
    testing::FakeStreamSocket server;
    testing::FakeStreamSocket client;
    Program program{state, view, memory, server, client};
};

TEST_F(ProgramTest, FirstStartWritesExactlyTheListedKeys) {
    start();
    EXPECT_EQ(dir.read("Ostrelo.ini"), "[MaxMin]\nMaxPneu= 100\nMinPneu= 80\nMaxMotor= 100\n"
                                       "MinMotor= 90\nMaxPress= 220\nMinPress= 180\n"
                                       "MaxFrens= 600\nMinFrens= 300\n[Opcions]\nIdioma=Español\n"
                                       "ScanTime= 500\nTipusConexio= 0\nIP=192.168.000.002\n"
                                       "Port= 1001\nNoGrafics=False\nUnitats=Metric\n"
                                       "DadesServ=True\n");
    EXPECT_EQ(view.screen.gameStatus, "Escaneando...");
    auto checked = view.checkedItems();
    std::sort(checked.begin(), checked.end());
    EXPECT_EQ(checked,
              (std::vector{MenuItem::Espanol, MenuItem::Graficos, MenuItem::Metrico,
                           MenuItem::TS_500, MenuItem::Cap, MenuItem::VeureDadesServidor}));
    EXPECT_FALSE(view.screen.menu(MenuItem::VeureDadesServidor).enabled);
    EXPECT_EQ(view.screen.scanIntervalMs, 500);
}

TEST_F(ProgramTest, AnUnlistedScanTimeMarksNoItemUntilOneIsChosen) {
    start("[Opcions]\nScanTime=250\n");
    EXPECT_EQ(view.screen.scanIntervalMs, 250);
    EXPECT_FALSE(view.screen.menu(MenuItem::TS_500).checked);
    EXPECT_FALSE(view.screen.menu(MenuItem::TS_150).checked);

    program.menuChosen(MenuItem::TS_500);
    EXPECT_TRUE(view.screen.menu(MenuItem::TS_500).checked);
    EXPECT_EQ(view.screen.scanIntervalMs, 500);
    EXPECT_EQ(core::ReadIni(state.store.path(), "Opcions", "ScanTime", ""), "500");
    EXPECT_EQ(view.screen.gameStatus, "Escaneando...");
}

TEST_F(ProgramTest, TheGameSearchFollowsTheScanTimeTheModeAndTheExit) {
    start("[Opcions]\nScanTime=1000\n");
    memory.windows["RACE 07"] = 1;
    while ((memory.openHandles == 0) && memory.findCalls < 100) {
        program.scanTick();
    }
    ASSERT_EQ(memory.openHandles, 1);
    // The scan time in force changes nothing: the game stays held.
    program.menuChosen(MenuItem::TS_1000);
    program.menuChosen(MenuItem::Espanol);
    EXPECT_EQ(memory.openHandles, 1);
    EXPECT_EQ(view.screen.gameStatus, "RACE07 EN MARCHA");
    // A new scan time counts the attach delay in new ticks: the search starts over.
    program.menuChosen(MenuItem::TS_50);
    EXPECT_EQ(memory.openHandles, 0);
    EXPECT_FALSE(state.GameActive);
    while ((memory.openHandles == 0) && memory.findCalls < 200) {
        program.scanTick();
    }
    // The exit lets the game go and writes nothing.
    const std::string before = dir.read("Ostrelo.ini");
    program.windowClosing();
    EXPECT_EQ(memory.openHandles, 0);
    EXPECT_EQ(dir.read("Ostrelo.ini"), before);

    // A client takes its samples from the server and never looks for the game.
    program.menuChosen(MenuItem::Client);
    program.clientDialogConfirmed("127.000.000.001", "1001");
    const int searches = memory.findCalls;
    for (int tick = 0; tick < 10; ++tick) {
        program.scanTick();
    }
    EXPECT_EQ(memory.findCalls, searches);
}

TEST_F(ProgramTest, MenuChoicesApplyAndTheOptionInForceWritesNothing) {
    start();
    // Each language item chooses its own language.
    const std::pair<MenuItem, const char *> languages[] = {
        {MenuItem::Deutsch, "Deutsch"},     {MenuItem::Dutch, "Dutch"},
        {MenuItem::Francais, "Francais"},   {MenuItem::Catala, "Català"},
        {MenuItem::Asturianu, "Asturianu"}, {MenuItem::Italiano, "Italiano"},
        {MenuItem::Espanol, "Español"}};
    for (const auto &[item, idioma] : languages) {
        program.menuChosen(item);
        EXPECT_EQ(state.settings.Idioma, idioma);
        EXPECT_EQ(view.screen.gameStatus, i18n::findLanguage(idioma)->texts.TextScanning);
    }
    program.menuChosen(MenuItem::English);
    EXPECT_EQ(view.screen.gameStatus, "Scanning...");
    EXPECT_TRUE(view.screen.menu(MenuItem::English).checked);
    EXPECT_FALSE(view.screen.menu(MenuItem::Espanol).checked);
    program.menuChosen(MenuItem::TS_10);
    EXPECT_EQ(view.screen.scanIntervalMs, 10);

    std::filesystem::remove(state.store.path());
    const std::size_t timerEvents = view.timerEvents.size();
    for (const MenuItem item :
         {MenuItem::English, MenuItem::TS_10, MenuItem::Metrico, MenuItem::Cap}) {
        program.menuChosen(item);
    }
    EXPECT_FALSE(std::filesystem::exists(state.store.path()));
    EXPECT_EQ(view.timerEvents.size(), timerEvents);

    program.menuChosen(MenuItem::Imperial);
    EXPECT_EQ(core::ReadIni(state.store.path(), "Opcions", "Unitats", ""), "Imperial");
    program.menuChosen(MenuItem::Graficos);
    EXPECT_EQ(core::ReadIni(state.store.path(), "Opcions", "NoGrafics", ""), "True");
    program.menuChosen(MenuItem::VeureDadesServidor);
    EXPECT_EQ(core::ReadIni(state.store.path(), "Opcions", "DadesServ", ""), "False");
}

TEST_F(ProgramTest, AMovedWindowIsSavedOnceAsANumberText) {
    start();
    view.left = 1500;
    view.top = -30;
    program.scanTick();
    EXPECT_EQ(core::ReadIni(state.store.path(), "Opcions", "PosFormX", ""), "1500");
    EXPECT_EQ(core::ReadIni(state.store.path(), "Opcions", "PosFormY", ""), "-30");
    EXPECT_NE(dir.read("Ostrelo.ini").find("PosFormX= 1500\n"), std::string::npos);
    EXPECT_EQ(state.settings.PosFormX, 1500);

    std::filesystem::remove(state.store.path());
    program.scanTick();
    EXPECT_FALSE(std::filesystem::exists(state.store.path()));
}

TEST_F(ProgramTest, ACarChangeStopsTheTimerAroundThePictureLookupOnce) {
    start();
    view.timerEvents.clear();
    state.CurrentCarName = "BMW 320si";
    program.scanTick();
    EXPECT_EQ(view.timerEvents, (std::vector<std::string>{"stop", "start"}));
    EXPECT_EQ(state.SkinCarName, "BMW 320si");
    program.scanTick();
    EXPECT_EQ(view.timerEvents.size(), 2u);
}

TEST_F(ProgramTest, AFrameOnAConnectedClientIsShownWithoutWaitingForATick) {
    start("[Opcions]\nTipusConexio=2\nIdioma=English\n");
    view.timerEvents.clear();
    receive(lince());
    EXPECT_TRUE(state.link.ClientConnected);
    EXPECT_EQ(view.screen.carName, "Lince Turbo 16V");
    EXPECT_EQ(state.CurrentCarName, "Lince Turbo 16V");
    // The scan timer keeps its cadence: frames faster than it must not hold the tick off.
    EXPECT_TRUE(view.timerEvents.empty());
}

TEST_F(ProgramTest, KeepsTheSettingsWhenTheFileIsDeletedOrReadOnly) {
    start();
    std::filesystem::remove(state.store.path());
    program.menuChosen(MenuItem::English);
    // A deleted file comes back whole: every setting, not only the one just chosen.
    EXPECT_EQ(core::ReadIni(state.store.path(), "Opcions", "Idioma", ""), "English");
    EXPECT_EQ(core::ReadIni(state.store.path(), "Opcions", "Unitats", ""), "Metric");

    std::filesystem::permissions(state.store.path(), std::filesystem::perms::owner_read);
    const testing::ErrorCapture capture;
    program.menuChosen(MenuItem::Imperial);
    program.scanTick();
    program.scanTick();
    EXPECT_EQ(state.settings.Unitats, core::Units::Imperial);
    EXPECT_EQ(core::ReadIni(state.store.path(), "Opcions", "Unitats", ""), "Metric");
    EXPECT_EQ(capture.reports().size(), 1u);
    std::filesystem::permissions(state.store.path(), std::filesystem::perms::owner_read |
                                                         std::filesystem::perms::owner_write);
    program.scanTick();
    EXPECT_EQ(core::ReadIni(state.store.path(), "Opcions", "Unitats", ""), "Imperial");
}

TEST_F(ProgramTest, TheCarPictureFollowsTheCarOncePerChange) {
    start();
    dir.write("carskins.ini", "[Cars]\nLince Turbo=lince.png\nFalcon RS=sub/falcon.gif\n"
                              "Broken=missing.png\n");
    const std::string folder = dir.path().string();
    state.CurrentCarName = "Lince Turbo";
    program.scanTick();
    state.CurrentCarName = "Nordic Coupe";
    program.scanTick();
    program.scanTick();
    state.CurrentCarName = "Falcon RS";
    program.scanTick();
    view.pictureLoads = false;
    state.CurrentCarName = "Broken";
    program.scanTick();
    program.scanTick();
    EXPECT_EQ(view.pictures,
              (std::vector<std::string>{testing::native(folder + "/carskins/lince.png"),
                                        testing::native(folder + "/carskins/sub/falcon.gif"),
                                        testing::native(folder + "/carskins/missing.png")}));
    EXPECT_EQ(state.SkinCarName, "Broken");
}

TEST_F(ProgramTest, TheWindowHearsWhatTheGameAndTheLinkTellIt) {
    start();
    memory.openSucceeds = false;
    memory.windows["RACE 07"] = 1;
    const testing::ErrorCapture capture;
    for (int tick = 0; tick < 8; ++tick) {
        program.scanTick();
    }
    EXPECT_EQ(view.openFailureMessages, 1);
    server.listenFails = true;
    program.serverDialogConfirmed("4001");
    EXPECT_TRUE(view.screen.menu(MenuItem::Servidor).checked);
    EXPECT_TRUE(view.screen.menu(MenuItem::VeureDadesServidor).enabled);
    EXPECT_EQ(view.listenFailures,
              std::vector<std::string>{"No se puede escuchar en el puerto 4001: port in use"});
    EXPECT_EQ(view.screen.linkStatus, "N/A");
}

TEST_F(ProgramTest, TheWebDashboardDialogStoresItsSettingsOnlyWhenValid) {
    start();
    int changes = 0;
    program.onWebSettingsChanged = [&] { ++changes; };
    program.menuChosen(MenuItem::PanellWeb);
    EXPECT_EQ(view.dialogs.back(), "web Panel web off 127.0.0.1:8080 ");
    EXPECT_EQ(program.webDialogConfirmed(true, "192.168.1", "8080"), state.texts.TextBadIP);
    EXPECT_EQ(program.webDialogConfirmed(true, "", "0"), state.texts.TextBadPort);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(dir.read("Ostrelo.ini").find("[Web]"), std::string::npos);
    EXPECT_EQ(program.webDialogConfirmed(true, "", "09000"), "");
    EXPECT_EQ(changes, 1);
    EXPECT_NE(dir.read("Ostrelo.ini").find("[Web]\nEnabled=True\nAddress=0.0.0.0\nPort= 9000\n"),
              std::string::npos);
    EXPECT_EQ(program.webListened(9000, "", "http://10.0.0.5:9000/"), "");
    EXPECT_EQ(view.screen.webAddress, "http://10.0.0.5:9000/");
    EXPECT_TRUE(view.listenFailures.empty());
    // Moved to a port it cannot have, it says why and shows no address that does not answer.
    const std::string said = program.webListened(80, "permission denied", "http://10.0.0.5:80/");
    EXPECT_EQ(said, "El panel web no puede escuchar en el puerto 80: permission denied");
    EXPECT_EQ(view.listenFailures, std::vector<std::string>{said});
    EXPECT_EQ(view.screen.webAddress, "");
}

TEST_F(ProgramTest, TheOverlayItemsShowAndLockTheTilesAndStoreEachChange) {
    start("[Opcions]\nIdioma=English\n");
    int changes = 0;
    program.onOverlayChanged = [&] { ++changes; };
    EXPECT_EQ(view.screen.menu(MenuItem::Superposicio).caption, "Overlay");
    // Each step: the item chosen, then the check marks, whether the lock can be chosen and the
    // section as the file holds it.
    const struct {
        MenuItem item;
        bool shown;
        bool lockChecked;
        bool lockEnabled;
        const char *section;
    } steps[] = {
        {MenuItem::SuperposicioVisible, true, true, true, "[Overlay]\nShown=True\n"},
        {MenuItem::SuperposicioBloquejada, true, false, true,
         "[Overlay]\nShown=True\nLocked=False\n"},
        {MenuItem::SuperposicioVisible, false, false, false,
         "[Overlay]\nShown=False\nLocked=False\n"},
        {MenuItem::SuperposicioBloquejada, false, false, false,
         "[Overlay]\nShown=False\nLocked=True\n"},
    };
    int step = 0;
    for (const auto &s : steps) {
        SCOPED_TRACE(step++);
        program.menuChosen(s.item);
        EXPECT_EQ(changes, step);
        EXPECT_EQ(view.screen.menu(MenuItem::SuperposicioVisible).checked, s.shown);
        EXPECT_EQ(view.screen.menu(MenuItem::SuperposicioBloquejada).checked, s.lockChecked);
        EXPECT_EQ(view.screen.menu(MenuItem::SuperposicioBloquejada).enabled, s.lockEnabled);
        const std::string text = dir.read("Ostrelo.ini");
        EXPECT_EQ(text.substr(text.find("[Overlay]")), s.section);
    }
}

TEST_F(ProgramTest, TheAboutItemOpensTheAboutWindowInTheCurrentLanguage) {
    start();
    program.menuChosen(MenuItem::AcercaDe);
    program.menuChosen(MenuItem::Servidor);
    EXPECT_EQ(view.dialogs,
              (std::vector<std::string>{"about Acerca de Ostrelo", "server Datos Servidor  1001"}));
}

// Between the ticks of a slow scan the field is read again for the standings' timing, by a copy
// that reads the game itself.
TEST_F(ProgramTest, ReadsTheFieldBetweenTheTicksOfASlowScanOnly) {
    namespace address = acquisition::address;
    start("[Opcions]\nScanTime=500\n");
    runGame();
    memory.placeText(address::slotField(5, address::DriverName), std::string("Eric Lund\0", 10));
    for (int tick = 0; tick < 100 && program.current().standings.cars.size() < 2; ++tick) {
        program.scanTick();
    }
    ASSERT_EQ(program.current().standings.cars.size(), 2u);
    std::vector<telemetry::Standings> read;
    program.onFieldRead = [&](const telemetry::Standings &field, std::int64_t) {
        read.push_back(field);
    };
    memory.placeValue<std::int32_t>(address::slotField(5, address::Position), 3);
    program.readField();
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].cars[1].position, 3);
    // The tick's sample is left as it was read.
    EXPECT_EQ(program.current().standings.cars[1].position, 0);
    // Not at a scan as fast as the field's own reading, nor on a client.
    state.settings.ScanTime = 50;
    program.readField();
    state.settings.ScanTime = 500;
    state.settings.TipusConexio = core::ConnectionMode::Client;
    program.readField();
    EXPECT_EQ(read.size(), 1u);
    // The window's field timer runs while the standings are looked at, in any place.
    const struct {
        bool shown;
        bool served;
        bool overlaid;
        bool runs;
    } watchers[] = {{true, false, false, true}, {false, false, false, false},
                    {false, true, false, true}, {true, true, false, true},
                    {false, false, true, true}, {false, false, false, false},
                    {true, true, true, true}};
    for (const auto &w : watchers) {
        program.watchStandings(w.shown, w.served, w.overlaid);
        EXPECT_EQ(view.fieldTimer, w.runs);
        EXPECT_EQ(program.standingsWatched(), w.runs);
    }
}

// A race read from the game and recorded, then played again: sample by sample, the replay
// shows exactly the screen the game did.
TEST_F(ProgramTest, AReplayShowsWhatTheGameShowedSampleBySample) {
    namespace address = acquisition::address;
    start("[Opcions]\nScanTime=10\nIdioma=English\n");
    runGame();
    memory.placeText(address::CarName, std::string("Lince Turbo 16V\0", 16));
    std::string bytes = replay::SessionEncoder::header({});
    replay::SessionEncoder encoder;
    memory.placeText(address::slotField(5, address::DriverName), std::string("Eric Lund\0", 10));
    std::vector<std::int64_t> times;
    std::vector<dashboard::Screen> shown;
    std::vector<telemetry::Standings> standings;
    std::int64_t now = 0;
    const auto steadyMs = [] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    const std::int64_t startedMs = steadyMs();
    program.onAcquired = [&](const replay::RecordedSample &acquired) {
        // Each sample carries the time it was read at, on a clock that only goes forward.
        EXPECT_GE(acquired.timeMs, startedMs);
        EXPECT_LE(acquired.timeMs, steadyMs());
        replay::RecordedSample timed = acquired;
        timed.timeMs = now;
        bytes += encoder.encode(timed);
        times.push_back(now);
        standings.push_back(acquired.standings);
    };
    for (int tick = 0; tick < 400 && times.size() < 30; ++tick) {
        now = tick * 100;
        memory.placeValue<float>(address::Fuel, 50 - static_cast<float>(tick) * 0.1F);
        memory.placeValue<std::int32_t>(address::LapCount, 1 + tick / 10);
        memory.placeValue<std::int32_t>(address::slotField(5, address::Position), 1 + tick / 7);
        memory.placeValue<std::int32_t>(address::Gear, tick % 6);
        memory.placeValue<double>(address::wheelField(telemetry::RR, address::WheelPressure),
                                  170.0 + tick);
        const std::size_t before = times.size();
        program.scanTick();
        if (times.size() > before) {
            shown.push_back(view.screen);
        }
    }
    ASSERT_EQ(shown.size(), 30u);

    runtime::AppState other;
    testing::RecordingView otherView;
    testing::FakeProcessMemory noGame;
    testing::FakeStreamSocket otherServer;
    testing::FakeStreamSocket otherClient;
    Program replaying{other, otherView, noGame, otherServer, otherClient};
    // Played on a computer set up as a client: the replay plays all the same, and the
    // setting stays.
    dir.write("client.ini", "[Opcions]\nTipusConexio=2\nIdioma=English\nScanTime=10\n");
    openSettings(other, dir.file("client.ini"));
    replaying.start('.');
    replay::ReplayPlayer player(bytes);
    replaying.setReplay(&player);
    for (std::size_t i = 0; i < times.size(); ++i) {
        SCOPED_TRACE(i);
        player.seek(times[i] - times[0]);
        replaying.scanTick();
        // Beside its connection menu and link status, the same screen.
        dashboard::Screen replayed = otherView.screen;
        replayed.menus = shown[i].menus;
        replayed.linkStatus = shown[i].linkStatus;
        EXPECT_TRUE(replayed == shown[i]);
        EXPECT_EQ(replaying.current().standings, standings[i]);
    }
    ASSERT_EQ(standings.back().cars.size(), 2u);
    EXPECT_EQ(standings.back().cars[1].driverName, "Eric Lund");
    EXPECT_NE(standings.front().cars[1].position, standings.back().cars[1].position);
    EXPECT_EQ(noGame.findCalls, 0);
    EXPECT_EQ(core::ReadIni(dir.file("client.ini"), "Opcions", "TipusConexio", ""), "2");
    EXPECT_TRUE(std::none_of(otherClient.calls.begin(), otherClient.calls.end(),
                             [](const std::string &call) { return call.starts_with("connect"); }));
    // Moved elsewhere, the replay counts no fuel across the move; at its end, the game is over.
    replaying.replayMoved();
    EXPECT_EQ(replaying.screen().fuelUsedLastLap, "");
    player.seek(player.durationMs());
    replaying.scanTick();
    replaying.scanTick();
    EXPECT_TRUE(player.finished());
    EXPECT_EQ(replaying.screen().gameStatus, "RACE07 NOT RUNNING");
    EXPECT_FALSE(other.GameActive);
    // Set up as a server, it goes on serving what the replay plays.
    other.settings.TipusConexio = core::ConnectionMode::Server;
    replaying.setReplay(&player);
    replaying.scanTick();
    otherServer.onConnectionRequest();
    player.seek(0);
    replaying.scanTick();
    ASSERT_FALSE(otherServer.sent.empty());
    EXPECT_NE(otherServer.sent[0].find("Lince Turbo 16V"), std::string::npos);

    // The followed car's slot goes into the recording.
    state.followed.SlotMode = runtime::FollowedCar::Forced;
    state.followed.ForcedSlot = 5;
    std::int16_t recordedSlot = -1;
    program.onAcquired = [&](const replay::RecordedSample &acquired) {
        recordedSlot = acquired.carSlot;
    };
    for (int tick = 0; tick < 400 && recordedSlot < 0; ++tick) {
        program.scanTick();
    }
    EXPECT_EQ(recordedSlot, 5);

    // Turned client, the program has no standings: the link carries the followed car alone.
    ASSERT_FALSE(program.current().standings.cars.empty());
    state.settings.TipusConexio = core::ConnectionMode::Client;
    receive({});
    EXPECT_TRUE(program.current().standings.cars.empty());
}

// A client whose server stops sending goes on showing the last values, under the notice that
// they are old; the next sample takes the notice off.
TEST_F(ProgramTest, AClientSaysWhenItsValuesAreOld) {
    start("[Opcions]\nTipusConexio=2\nIdioma=English\n");
    receive(lince());
    ASSERT_EQ(view.screen.carName, "Lince Turbo 16V");
    EXPECT_EQ(view.screen.oldDataNotice, "");
    tickUntilOld();
    EXPECT_EQ(view.screen.oldDataNotice, "NO NEW DATA");
    EXPECT_EQ(view.screen.carName, "Lince Turbo 16V");
    EXPECT_EQ(view.screen.gameStatus, "RACE07 RUNNING");
    receive(lince());
    EXPECT_EQ(view.screen.oldDataNotice, "");
}

// A replay that plays on through a stretch the recording has no samples for says so as a
// client does; paused, its values are as old as the driver chose, and it says nothing.
TEST_F(ProgramTest, APlayingReplaySaysWhenItsValuesAreOldAndAPausedOneDoesNot) {
    start("[Opcions]\nIdioma=English\n");
    std::string bytes = replay::SessionEncoder::header({});
    replay::SessionEncoder encoder;
    for (const std::int64_t timeMs : {0, 100, 200, 600000}) {
        replay::RecordedSample recorded;
        recorded.timeMs = timeMs;
        recorded.sample.Ignition = 1;
        recorded.sample.CarName = "Lince Turbo 16V";
        recorded.carSlot = 5;
        bytes += encoder.encode(recorded);
    }
    replay::ReplayPlayer player(bytes);
    program.setReplay(&player);
    tickUntilOld();
    EXPECT_EQ(view.screen.oldDataNotice, "NO NEW DATA");
    EXPECT_EQ(view.screen.carName, "Lince Turbo 16V");
    // The followed car's slot comes back from the recording.
    EXPECT_EQ(program.followed().slot, 5);
    player.setPaused(true);
    program.scanTick();
    EXPECT_EQ(view.screen.oldDataNotice, "");
}

} // namespace
} // namespace ostrelo::app
