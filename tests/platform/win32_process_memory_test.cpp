// SPDX-License-Identifier: GPL-3.0-or-later
#include "acquisition/acquisition.h"
#include "acquisition/address_map.h"
#include "core/windows_text_win32.h"
#include "memory_image.h"
#include "platform/win32/process_memory_win32.h"
#include "support/full_scenario_read.h"
#include "support/scenario.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>
#include <windows.h>

namespace ostrelo::platform {
namespace {

namespace address = acquisition::address;
using Clock = std::chrono::steady_clock;

constexpr auto kPatience = std::chrono::seconds(20);

// Whether a top-level window of `process` is still there.
bool hasWindow(DWORD process) {
    struct Search {
        DWORD process;
        bool found;
    } search{process, false};
    EnumWindows(
        [](HWND window, LPARAM parameter) -> BOOL {
            auto &s = *reinterpret_cast<Search *>(parameter);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            s.found = s.found || owner == s.process;
            return !s.found;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// ostrelo-simgame.exe as a second process, started with `arguments` and running until the
// object goes away or `end()` is called.
class SimulatedGame {
public:
    explicit SimulatedGame(const std::vector<std::string> &arguments) {
        std::string line = "\"" OSTRELO_SIMGAME "\"";
        for (const std::string &argument : arguments) {
            line += " \"" + argument + '"';
        }
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        HANDLE write = nullptr;
        if (!CreatePipe(&m_output, &write, &inherit, 0)) {
            return;
        }
        SetHandleInformation(m_output, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = write;
        startup.hStdError = write;
        std::wstring command = core::wideFromUtf8(line);
        PROCESS_INFORMATION started{};
        const bool ok = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE,
                                       CREATE_NO_WINDOW, nullptr, nullptr, &startup, &started);
        CloseHandle(write);
        if (!ok) {
            m_said = "cannot start " OSTRELO_SIMGAME ": " + core::systemMessage(GetLastError());
            return;
        }
        CloseHandle(started.hThread);
        m_process = started.hProcess;
        m_id = started.dwProcessId;
        // Ready once it says so; its output ends early when it fails.
        char buffer[256];
        DWORD count = 0;
        const Clock::time_point deadline = Clock::now() + kPatience;
        while (m_said.find("ready") == std::string::npos && Clock::now() < deadline &&
               ReadFile(m_output, buffer, sizeof buffer, &count, nullptr) && count > 0) {
            m_said.append(buffer, count);
        }
    }
    ~SimulatedGame() {
        end(1);
        if (m_output != nullptr) {
            CloseHandle(m_output);
        }
    }
    SimulatedGame(const SimulatedGame &) = delete;
    SimulatedGame &operator=(const SimulatedGame &) = delete;

    bool ready() const { return m_said.find("ready") != std::string::npos; }
    /// What the game printed, for a failure message.
    const std::string &said() const { return m_said; }
    ProcessId processId() const { return m_id; }

    /// Ends the game with `exitCode` and waits until it and its window are gone.
    void end(UINT exitCode) {
        if (m_process != nullptr) {
            TerminateProcess(m_process, exitCode);
            WaitForSingleObject(m_process, INFINITE);
            CloseHandle(m_process);
            m_process = nullptr;
            const Clock::time_point deadline = Clock::now() + kPatience;
            while (hasWindow(m_id) && Clock::now() < deadline) {
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        }
    }

private:
    HANDLE m_output = nullptr;
    HANDLE m_process = nullptr;
    ProcessId m_id = 0;
    std::string m_said;
};

class Win32ProcessMemoryTest : public ::testing::Test {
protected:
    void SetUp() override {
        scenario = {"--scenario", dir.write("scenario.ini", testing::kFullScenario)};
    }

    testing::TempDir dir;
    std::vector<std::string> scenario;
};

TEST_F(Win32ProcessMemoryTest, FindsTheGameWindowAndItsProcess) {
    SimulatedGame race07({});
    SimulatedGame gtr({"--title", "GTR Evolution"});
    ASSERT_TRUE(race07.ready()) << race07.said();
    ASSERT_TRUE(gtr.ready()) << gtr.said();
    Win32ProcessMemory memory;
    const WindowHandle raceWindow = memory.findWindow("RACE 07");
    const WindowHandle gtrWindow = memory.findWindow("GTR Evolution");
    ASSERT_NE(raceWindow, 0u);
    ASSERT_NE(gtrWindow, 0u);
    EXPECT_EQ(memory.windowProcess(raceWindow), race07.processId());
    EXPECT_EQ(memory.windowProcess(gtrWindow), gtr.processId());
    EXPECT_EQ(memory.findWindow("RACE 0"), 0u);
    EXPECT_EQ(memory.findWindow("RACE 07 "), 0u);
}

TEST_F(Win32ProcessMemoryTest, ReadsCountTheBytesCopiedUpToTheEndOfReadableMemory) {
    SimulatedGame game(scenario);
    ASSERT_TRUE(game.ready()) << game.said();
    Win32ProcessMemory memory;
    const ProcessHandle process = memory.openProcess(game.processId());
    ASSERT_NE(process, 0u) << memory.problem();
    std::array<std::byte, 8> buffer{};
    EXPECT_EQ(memory.read(process, address::TrackTemp, std::span(buffer).first(4)), 4u);
    float trackTemp = 0;
    std::memcpy(&trackTemp, buffer.data(), 4);
    EXPECT_EQ(trackTemp, 31.5F);
    // Where the game's memory ends, a read is short: it ends with the page at kLastPage.
    const std::uint64_t end = simgame::kLastPage + 4096;
    struct Case {
        std::uint64_t address;
        std::size_t size;
        std::size_t copied;
    };
    const Case cases[] = {
        {end - 4, 8, 4},
        {end - 1, 8, 1},
        {end, 8, 0},
        {end - 50, 50, 50},
        {end - 4096, 8192, 4096},
        {end - 100, 4196, 100},
        {address::TrackName, 50, 50},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.address);
        std::vector<std::byte> bytes(c.size, std::byte{0x55});
        EXPECT_EQ(memory.read(process, c.address, bytes), c.copied);
    }

    // A batch keeps each piece's own count, whatever fails before or after it.
    std::array<std::byte, 8> unmapped{};
    std::array<std::byte, 4> weather{};
    std::array<std::byte, 8> straddling{};
    std::array<ReadRequest, 3> batch{
        {{end, unmapped, 99}, {address::TrackTemp, weather, 99}, {end - 4, straddling, 99}}};
    memory.readMany(process, batch);
    EXPECT_EQ(batch[0].copied, 0u);
    EXPECT_EQ(batch[1].copied, 4u);
    EXPECT_EQ(batch[2].copied, 4u);
    std::memcpy(&trackTemp, weather.data(), 4);
    EXPECT_EQ(trackTemp, 31.5F);
    memory.closeProcess(process);
}

TEST_F(Win32ProcessMemoryTest, AcquiresTheWholeSampleAndDetachesWhenTheGameEnds) {
    auto game = std::make_unique<SimulatedGame>(scenario);
    ASSERT_TRUE(game->ready()) << game->said();
    Win32ProcessMemory memory;
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
    SimulatedGame gtr({"--title", "GTR Evolution", "--scenario",
                       dir.write("gtr.ini", "[Pin]\nTrackPath=Locations\\Circuit Nord.trk\n")});
    ASSERT_TRUE(gtr.ready()) << gtr.said();
    game.reset();
    ASSERT_EQ(memory.findWindow("RACE 07"), 0u);
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
}

// A game may end with any code, STILL_ACTIVE (259) among them: only the process itself tells
// whether it has ended.
TEST_F(Win32ProcessMemoryTest, AGameThatEndedIsNotRunningWhateverItsExitCode) {
    for (const UINT exitCode : {0u, 1u, 259u}) {
        SCOPED_TRACE(exitCode);
        SimulatedGame game({});
        ASSERT_TRUE(game.ready()) << game.said();
        Win32ProcessMemory memory;
        const ProcessHandle process = memory.openProcess(game.processId());
        ASSERT_NE(process, 0u) << memory.problem();
        EXPECT_TRUE(memory.processRunning(process));
        game.end(exitCode);
        EXPECT_FALSE(memory.processRunning(process));
        memory.closeProcess(process);
    }
}

TEST_F(Win32ProcessMemoryTest, SaysWhyAProcessCannotBeOpenedInTheSystemsWordsWithAdvice) {
    Win32ProcessMemory memory;
    const ProcessHandle self = memory.openProcess(GetCurrentProcessId());
    EXPECT_NE(self, 0u);
    EXPECT_EQ(memory.problem(), "");
    memory.closeProcess(self);

    // The game's window was found, then the game closed before its memory was opened.
    SimulatedGame game({});
    ASSERT_TRUE(game.ready()) << game.said();
    const ProcessId ended = memory.windowProcess(memory.findWindow("RACE 07"));
    ASSERT_EQ(ended, game.processId());
    game.end(0);
    EXPECT_EQ(memory.openProcess(ended), 0u);
    EXPECT_EQ(memory.problem(), "Process " + std::to_string(ended) +
                                    " has ended: the game closed before Ostrelo could read it.");

    // Refused: the game runs as another user or with more rights, which Wine cannot show.
    struct Case {
        DWORD error;
        const char *advice;
    };
    const Case cases[] = {
        {ERROR_ACCESS_DENIED, "Start Ostrelo as the same user as the game, and as administrator "
                              "when the game runs as administrator."},
        {ERROR_NOT_ENOUGH_MEMORY, "Close other programs, or start the computer again."},
        {ERROR_GEN_FAILURE, "Start the game and Ostrelo again."},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.error);
        const std::string reason = Win32ProcessMemory::openFailureReason(1234, c.error);
        EXPECT_EQ(reason, "Cannot open process 1234 for reading: " + core::systemMessage(c.error) +
                              ". " + c.advice);
        EXPECT_EQ(reason.find("error " + std::to_string(c.error)), std::string::npos);
    }
}

} // namespace
} // namespace ostrelo::platform
