// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/acquisition.h"
#include "acquisition/address_map.h"
#include "platform/linux/process_memory_linux.h"
#include "platform/linux/x11_window_search.h"
#include "support/error_capture.h"
#include "support/full_scenario_read.h"
#include "support/patience.h"
#include "support/temp_dir.h"
#include "support/x_display.h"

#include <QElapsedTimer>
#include <QThread>

#include <gtest/gtest.h>

#include <array>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>
#include <xcb/xcb.h>

namespace ostrelo::platform {
namespace {

namespace address = acquisition::address;

class LinuxProcessMemoryTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_display = std::make_unique<testing::XDisplay>(); }
    static void TearDownTestSuite() { s_display.reset(); }

    void SetUp() override {
        ASSERT_TRUE(s_display->running()) << s_display->error().toStdString();
        scenario = testing::fullScenarioArguments(dir.path());
    }

    static std::unique_ptr<testing::XDisplay> s_display;
    testing::TempDir dir;
    QStringList scenario;
};

std::unique_ptr<testing::XDisplay> LinuxProcessMemoryTest::s_display;

// A client of the X server that makes top-level windows named as a game names its own: a
// title and the id of a process.
class WindowMaker {
public:
    WindowMaker() : m_connection(xcb_connect(nullptr, nullptr)) {}
    ~WindowMaker() { xcb_disconnect(m_connection); }
    WindowMaker(const WindowMaker &) = delete;
    WindowMaker &operator=(const WindowMaker &) = delete;

    bool connected() const { return xcb_connection_has_error(m_connection) == 0; }

    /// The atom of `name`; XCB_ATOM_NONE when `onlyIfExists` and no program has named it.
    xcb_atom_t atom(const char *name, bool onlyIfExists) {
        const auto cookie = xcb_intern_atom(m_connection, onlyIfExists ? 1 : 0,
                                            static_cast<std::uint16_t>(std::strlen(name)), name);
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(m_connection, cookie, nullptr);
        const xcb_atom_t atom = reply ? reply->atom : static_cast<xcb_atom_t>(XCB_ATOM_NONE);
        std::free(reply);
        return atom;
    }

    /// A window titled `title` that names `process` as its own; there once this returns.
    xcb_window_t window(const std::string &title, std::uint32_t process) {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, screen->root, 0, 0, 100, 100,
                          0, XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                            XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(title.size()),
                            title.data());
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("_NET_WM_PID", false),
                            XCB_ATOM_CARDINAL, 32, 1, &process);
        sync();
        return window;
    }

    /// `window` titled `title`, or made the child of `parent`, or destroyed; done once these
    /// return.
    void rename(xcb_window_t window, const std::string &title) {
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME,
                            XCB_ATOM_STRING, 8, static_cast<std::uint32_t>(title.size()),
                            title.data());
        sync();
    }
    void reparent(xcb_window_t window, xcb_window_t parent) {
        xcb_reparent_window(m_connection, window, parent, 0, 0);
        sync();
    }
    void destroy(xcb_window_t window) {
        xcb_destroy_window(m_connection, window);
        sync();
    }
    /// The window manager's list of client windows on the root window.
    void listClients(const std::vector<xcb_window_t> &clients) {
        const xcb_screen_t *screen = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data;
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, screen->root,
                            atom("_NET_CLIENT_LIST", false), XCB_ATOM_WINDOW, 32,
                            static_cast<std::uint32_t>(clients.size()), clients.data());
        sync();
    }

private:
    // The answer to a question comes after the server has done what was asked before.
    void sync() {
        std::free(
            xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }

    xcb_connection_t *m_connection;
};

// What the search answers once the server's news has come, as the next ticks would see it.
template <typename Search>
std::uint64_t answerOnceTold(Search &search, const char *title, std::uint64_t expected) {
    QElapsedTimer clock;
    clock.start();
    std::uint64_t found = search.findWindow(title);
    while (found != expected && clock.elapsed() < testing::kPatienceMs) {
        QThread::msleep(1);
        found = search.findWindow(title);
    }
    return found;
}

TEST_F(LinuxProcessMemoryTest, FindsTheProcessOfAWindowThatNamesItOnlyAfterOstreloConnected) {
    // A display of its own, where no program has named _NET_WM_PID yet.
    testing::XDisplay display;
    ASSERT_TRUE(display.running()) << display.error().toStdString();
    WindowMaker game;
    ASSERT_TRUE(game.connected());
    ASSERT_EQ(game.atom("_NET_WM_PID", true), static_cast<xcb_atom_t>(XCB_ATOM_NONE));
    LinuxProcessMemory memory;
    EXPECT_EQ(memory.findWindow("RACE 07"), 0u);
    EXPECT_EQ(memory.problem(), "");
    // The game starts later and names its process.
    const xcb_window_t window = game.window("RACE 07", static_cast<std::uint32_t>(getpid()));
    const WindowHandle found = answerOnceTold(memory, "RACE 07", window);
    EXPECT_EQ(found, window);
    EXPECT_EQ(memory.windowProcess(found), static_cast<ProcessId>(getpid()));
}

// The desktop's windows are asked for their titles only when the server has told of a change
// that can matter (a window made, destroyed or taken in, a title, the window manager's list);
// otherwise a search answers as before without a question to the server.
TEST_F(LinuxProcessMemoryTest, AsksForTitlesOnlyAfterTheServerToldOfAChange) {
    WindowMaker desktop;
    ASSERT_TRUE(desktop.connected());
    X11WindowSearch search;
    EXPECT_EQ(search.findWindow("RACE 07"), 0u);
    const int first = search.searches();
    for (int tick = 0; tick < 100; ++tick) {
        ASSERT_EQ(search.findWindow("RACE 07"), 0u);
    }
    EXPECT_EQ(search.searches(), first);

    const xcb_window_t window = desktop.window("Loading", 1);
    desktop.rename(window, "RACE 07");
    EXPECT_EQ(answerOnceTold(search, "RACE 07", window), window);
    const int found = search.searches();
    for (int tick = 0; tick < 100; ++tick) {
        ASSERT_EQ(search.findWindow("RACE 07"), window);
    }
    EXPECT_EQ(search.searches(), found);
    desktop.rename(window, "RACE 07 - Paused");
    EXPECT_EQ(answerOnceTold(search, "RACE 07", 0), 0u);
    desktop.rename(window, "RACE 07");
    EXPECT_EQ(answerOnceTold(search, "RACE 07", window), window);
    desktop.destroy(window);
    EXPECT_EQ(answerOnceTold(search, "RACE 07", 0), 0u);

    // Under a window manager the game's window lives in a frame; the manager's list names it.
    const xcb_window_t frame = desktop.window("frame", 1);
    const xcb_window_t framed = desktop.window("GTR Evolution", 1);
    desktop.reparent(framed, frame);
    desktop.listClients({framed});
    EXPECT_EQ(answerOnceTold(search, "GTR Evolution", framed), framed);
    desktop.listClients({});
    EXPECT_EQ(answerOnceTold(search, "GTR Evolution", 0), 0u);
}

TEST_F(LinuxProcessMemoryTest, FindsTheGameWindowAndItsProcess) {
    testing::SimulatedGame race07({});
    testing::SimulatedGame gtr({QStringLiteral("--title"), QStringLiteral("GTR Evolution")});
    ASSERT_TRUE(race07.ready() && gtr.ready()) << race07.errors().toStdString();
    LinuxProcessMemory memory;
    const WindowHandle raceWindow = memory.findWindow("RACE 07");
    const WindowHandle gtrWindow = memory.findWindow("GTR Evolution");
    ASSERT_NE(raceWindow, 0u);
    ASSERT_NE(gtrWindow, 0u);
    EXPECT_EQ(memory.windowProcess(raceWindow), race07.processId());
    EXPECT_EQ(memory.windowProcess(gtrWindow), gtr.processId());
    EXPECT_EQ(memory.findWindow("RACE 0"), 0u);
    EXPECT_EQ(memory.findWindow("race 07"), 0u);
}

TEST_F(LinuxProcessMemoryTest, ReadsCountTheBytesCopied) {
    testing::SimulatedGame game(scenario);
    ASSERT_TRUE(game.ready()) << game.errors().toStdString();
    LinuxProcessMemory memory;
    const ProcessHandle process = memory.openProcess(static_cast<ProcessId>(game.processId()));
    ASSERT_NE(process, 0u);
    std::array<std::byte, 8> buffer{};
    EXPECT_EQ(memory.read(process, address::TrackTemp, std::span(buffer).first(4)), 4u);
    float trackTemp = 0;
    std::memcpy(&trackTemp, buffer.data(), 4);
    EXPECT_EQ(trackTemp, 31.5F);
    // The weather region ends at 0x1150000: a read across its end is short.
    EXPECT_EQ(memory.read(process, 0x114FFFC, buffer), 4u);
    EXPECT_EQ(memory.read(process, 0x200000, buffer), 0u);

    // A batch keeps each piece's own count, whatever fails before or after it.
    std::array<std::byte, 8> unmapped{};
    std::array<std::byte, 4> weather{};
    std::array<std::byte, 8> straddling{};
    std::array<ReadRequest, 3> batch{
        {{0x200000, unmapped, 99}, {address::TrackTemp, weather, 99}, {0x114FFFC, straddling, 99}}};
    memory.readMany(process, batch);
    EXPECT_EQ(batch[0].copied, 0u);
    EXPECT_EQ(batch[1].copied, 4u);
    EXPECT_EQ(batch[2].copied, 4u);
    std::memcpy(&trackTemp, weather.data(), 4);
    EXPECT_EQ(trackTemp, 31.5F);
    std::array<ReadRequest, 2> whole{
        {{address::TrackTemp, weather, 0}, {address::AmbientTemp, std::span(buffer).first(4), 0}}};
    memory.readMany(process, whole);
    EXPECT_EQ(whole[0].copied + whole[1].copied, 8u);
    memory.closeProcess(process);
}

TEST_F(LinuxProcessMemoryTest, AcquiresTheWholeSampleAndDetachesWhenTheGameEnds) {
    auto game = std::make_unique<testing::SimulatedGame>(scenario);
    ASSERT_TRUE(game->ready()) << game->errors().toStdString();
    LinuxProcessMemory memory;
    runtime::AppState state;
    state.settings.ScanTime = 1000;
    acquisition::GameAttachment attachment(memory, state.settings, state.GameActive);
    acquisition::GameStatus status = acquisition::GameStatus::NotRunning;
    attachment.onStatus = [&status](acquisition::GameStatus told) { status = told; };
    acquisition::GameMemory reads(memory, attachment);
    acquisition::Acquisition acquisition(reads, state.settings, state.followed);
    int ticks = 0;
    while (!(state.GameActive = attachment.RACE07_Actiu()) && ticks < 10) {
        ++ticks;
    }
    ASSERT_EQ(ticks, 4);
    EXPECT_EQ(status, acquisition::GameStatus::Running);

    telemetry::TelemetrySample s;
    ASSERT_TRUE(acquisition.acquire(s));
    EXPECT_EQ(state.followed.CarSlot, 3);
    testing::expectFullScenarioRead(s, acquisition.standings().cars);

    // The game ends while the other game's window is open: no grace ticks on a process that
    // has ended; the attachment starts over and takes the window that is there.
    const std::string other =
        dir.write("gtr.ini", "[Pin]\nTrackPath=Locations\\Circuit Nord.trk\n");
    testing::SimulatedGame gtr({QStringLiteral("--title"), QStringLiteral("GTR Evolution"),
                                QStringLiteral("--scenario"), QString::fromStdString(other)});
    ASSERT_TRUE(gtr.ready()) << gtr.errors().toStdString();
    game.reset();
    // The X server destroys the window of a client that is gone in its own time.
    QElapsedTimer clock;
    clock.start();
    while (memory.findWindow("RACE 07") != 0 && clock.elapsed() < testing::kPatienceMs) {
        QThread::msleep(5);
    }
    EXPECT_FALSE(state.GameActive = attachment.RACE07_Actiu());
    EXPECT_TRUE(attachment.processClosed());
    EXPECT_EQ(status, acquisition::GameStatus::NotRunning);
    ticks = 0;
    while (!(state.GameActive = attachment.RACE07_Actiu()) && ticks < 10) {
        ++ticks;
    }
    EXPECT_EQ(ticks, 3);
    ASSERT_TRUE(acquisition.acquire(s));
    EXPECT_EQ(s.TrackName, "Circuit Nord");
    EXPECT_TRUE(memory.processRunning(attachment.process()));
    gtr.kill();
    EXPECT_FALSE(memory.processRunning(attachment.process()));
}

TEST_F(LinuxProcessMemoryTest, AProcessThatEndedIsNotRunningEvenBeforeItIsReaped) {
    const pid_t child = fork();
    if (child == 0) {
        pause();
        _exit(0);
    }
    LinuxProcessMemory memory;
    const ProcessHandle process = memory.openProcess(static_cast<ProcessId>(child));
    ASSERT_NE(process, 0u);
    EXPECT_TRUE(memory.processRunning(process));
    kill(child, SIGKILL);
    // Ended but not reaped: its id still names it, and still counts as ended.
    siginfo_t info{};
    ASSERT_EQ(waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOWAIT), 0);
    EXPECT_FALSE(memory.processRunning(process));
    waitpid(child, nullptr, 0);
    EXPECT_FALSE(memory.processRunning(process));
    memory.closeProcess(process);
}

TEST_F(LinuxProcessMemoryTest, TellsAProcessThatEndedFromOneOutOfSight) {
    LinuxProcessMemory memory;
    const ProcessHandle self = memory.openProcess(static_cast<ProcessId>(getpid()));
    EXPECT_NE(self, 0u);
    EXPECT_EQ(memory.problem(), "");
    memory.closeProcess(self);
    EXPECT_NE(LinuxProcessMemory::openFailureReason(1234, EACCES).find("1234"), std::string::npos);

    // The game's window was found, then the game closed before its memory was opened.
    testing::SimulatedGame game({});
    ASSERT_TRUE(game.ready()) << game.errors().toStdString();
    const auto ended = static_cast<ProcessId>(game.processId());
    ASSERT_EQ(memory.windowProcess(memory.findWindow("RACE 07")), ended);
    game.kill();
    EXPECT_EQ(memory.openProcess(ended), 0u);
    EXPECT_EQ(memory.problem(), "Process " + std::to_string(ended) +
                                    " has ended: the game closed before Ostrelo could read it.");

    // A process asked for without a window, that has ended and been reaped.
    const pid_t child = fork();
    if (child == 0) {
        _exit(0);
    }
    waitpid(child, nullptr, 0);
    EXPECT_EQ(memory.openProcess(static_cast<ProcessId>(child)), 0u);
    EXPECT_NE(memory.problem().find("has ended"), std::string::npos) << memory.problem();

    // A window that stays open names a process that cannot be seen from here.
    WindowMaker sandbox;
    ASSERT_TRUE(sandbox.connected());
    const xcb_window_t window = sandbox.window("Sandboxed", 0x7FFFFFF0);
    const WindowHandle found = memory.findWindow("Sandboxed");
    ASSERT_EQ(found, window);
    ASSERT_EQ(memory.windowProcess(found), 0x7FFFFFF0u);
    EXPECT_EQ(memory.openProcess(0x7FFFFFF0), 0u);
    EXPECT_NE(memory.problem().find("is not visible here, though its window is open"),
              std::string::npos)
        << memory.problem();
    EXPECT_NE(memory.problem().find("sandbox"), std::string::npos);
}

TEST_F(LinuxProcessMemoryTest, WithoutADisplayNoWindowIsFoundAndTheReasonIsGiven) {
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    {
        LinuxProcessMemory memory;
        EXPECT_EQ(memory.findWindow("RACE 07"), 0u);
        EXPECT_NE(memory.problem().find("DISPLAY is not set"), std::string::npos);
    }
    qputenv("DISPLAY", ":4711");
    {
        LinuxProcessMemory memory;
        EXPECT_EQ(memory.findWindow("RACE 07"), 0u);
        EXPECT_NE(memory.problem().find(":4711"), std::string::npos);
    }
    qputenv("DISPLAY", display);
    LinuxProcessMemory memory;
    EXPECT_EQ(memory.findWindow("RACE 07"), 0u);
    EXPECT_EQ(memory.problem(), "");
}

} // namespace
} // namespace ostrelo::platform
