// SPDX-License-Identifier: GPL-3.0-or-later
// One whole acquisition from the simulated game through the Linux backend, the standings of its
// twelve cars included, beside the floor: the sample's typed reads as raw pread calls on
// /proc/PID/mem in a tight loop. "calls" counts
// the calls into the system per sample. Run under an X server
// (scripts/bench.sh uses Xvfb); the simulated game is started here.
#include "acquisition/acquisition.h"
#include "platform/linux/process_memory_linux.h"
#include "runtime/app_state.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using namespace ostrelo;

// Counts the calls into the backend; while `unbatched`, batches copy nothing, so that every
// typed read goes to the game on its own and is remembered.
struct RecordingMemory : platform::LinuxProcessMemory {
    std::size_t read(platform::ProcessHandle process, std::uint64_t address,
                     std::span<std::byte> buffer) override {
        reads.emplace_back(address, buffer.size());
        return LinuxProcessMemory::read(process, address, buffer);
    }
    void readMany(platform::ProcessHandle process,
                  std::span<platform::ReadRequest> requests) override {
        ++batches;
        if (unbatched) {
            for (platform::ReadRequest &request : requests) {
                request.copied = 0;
            }
            return;
        }
        LinuxProcessMemory::readMany(process, requests);
    }
    std::vector<std::pair<std::uint64_t, std::size_t>> reads;
    int batches = 0;
    bool unbatched = false;
};

struct Game {
    Game() {
        int pipeFds[2];
        pipe(pipeFds);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
        char *argv[] = {const_cast<char *>(OSTRELO_SIMGAME), nullptr};
        posix_spawn(&pid, OSTRELO_SIMGAME, &actions, nullptr, argv, environ);
        close(pipeFds[1]);
        char ready[8] = {};
        read(pipeFds[0], ready, 5);
        close(pipeFds[0]);
    }
    ~Game() {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
    pid_t pid = 0;
};

struct Attached {
    Attached() {
        state.settings.ScanTime = 1000;
        while (!(state.GameActive = attachment.RACE07_Actiu())) {
        }
        // Measured at the fastest scan: the field is read every fifth sample, every slot
        // once a second.
        state.settings.ScanTime = 10;
    }
    runtime::AppState state;
    RecordingMemory memory;
    acquisition::GameAttachment attachment{memory, state.settings, state.GameActive};
    acquisition::GameMemory reads{memory, attachment};
    acquisition::Acquisition acquisition{reads, state.settings, state.followed};
};

Game &game() {
    static Game running;
    return running;
}

void Acquisition(benchmark::State &state) {
    game();
    Attached attached;
    attached.memory.reads.clear();
    attached.memory.batches = 0;
    for (auto _ : state) {
        telemetry::TelemetrySample sample;
        attached.acquisition.acquire(sample);
        benchmark::DoNotOptimize(sample);
    }
    // Calls into the system per sample: the batches and the reads made on their own.
    state.counters["calls"] =
        static_cast<double>(attached.memory.reads.size() +
                            static_cast<std::size_t>(attached.memory.batches)) /
        static_cast<double>(state.iterations());
}
BENCHMARK(Acquisition);

void RawPreadFloor(benchmark::State &state) {
    game();
    Attached attached;
    // The first acquisition searches for the local driver; the steady state reads less.
    telemetry::TelemetrySample sample;
    attached.acquisition.acquire(sample);
    attached.memory.unbatched = true;
    attached.memory.reads.clear();
    attached.acquisition.acquire(sample);
    const auto reads = attached.memory.reads;
    const int fd = open(("/proc/" + std::to_string(game().pid) + "/mem").c_str(), O_RDONLY);
    std::vector<std::byte> buffer(64);
    for (auto _ : state) {
        for (const auto &[address, size] : reads) {
            benchmark::DoNotOptimize(pread(fd, buffer.data(), size, static_cast<off_t>(address)));
        }
    }
    close(fd);
    state.counters["calls"] = static_cast<double>(reads.size());
}
BENCHMARK(RawPreadFloor);

} // namespace

BENCHMARK_MAIN();
