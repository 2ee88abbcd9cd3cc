// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/process_memory.h"

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace ostrelo::testing {

/// Windows by title and regions of bytes in memory, with counters of what was asked.
class FakeProcessMemory : public platform::ProcessMemory {
public:
    platform::WindowHandle findWindow(std::string_view title) override {
        ++findCalls;
        const auto found = windows.find(std::string(title));
        return found == windows.end() ? 0 : found->second;
    }
    platform::ProcessId windowProcess(platform::WindowHandle window) override {
        ++windowProcessCalls;
        return static_cast<platform::ProcessId>(window + 1000);
    }
    platform::ProcessHandle openProcess(platform::ProcessId process) override {
        ++openCalls;
        if (!openSucceeds) {
            setProblem("Process " + std::to_string(process) + " cannot be read.");
            return 0;
        }
        setProblem({});
        ++openHandles;
        lastOpened = process;
        return 77;
    }
    std::size_t read(platform::ProcessHandle process, std::uint64_t address,
                     std::span<std::byte> buffer) override {
        ++readCalls;
        if (process != 77) {
            return 0;
        }
        for (const auto &[start, bytes] : regions) {
            if (address >= start && address < start + bytes.size()) {
                const std::size_t count =
                    std::min<std::size_t>(buffer.size(), start + bytes.size() - address);
                std::memcpy(buffer.data(), bytes.data() + (address - start), count);
                return count;
            }
        }
        return 0;
    }
    void readMany(platform::ProcessHandle process,
                  std::span<platform::ReadRequest> requests) override {
        // Batches are counted apart, so that readCalls counts the typed reads alone.
        ++batchCalls;
        lastBatchSize = requests.size();
        const int typed = readCalls;
        ProcessMemory::readMany(process, requests);
        readCalls = typed;
    }
    bool processRunning(platform::ProcessHandle process) override {
        return process == 77 && !exited.contains(lastOpened);
    }
    void closeProcess(platform::ProcessHandle) override { --openHandles; }

    /// Maps `size` bytes of zeros at `start`, as a game's memory holds a whole array.
    void map(std::uint64_t start, std::size_t size) {
        regions[start] = std::vector<std::byte>(size);
        mapped.insert(start);
    }
    /// Places `bytes` at `address`: into the mapped range that holds them whole, or as a
    /// region of their own.
    void place(std::uint64_t address, const void *bytes, std::size_t size) {
        for (const std::uint64_t start : mapped) {
            std::vector<std::byte> &region = regions[start];
            if (address >= start && address + size <= start + region.size()) {
                std::memcpy(region.data() + (address - start), bytes, size);
                return;
            }
        }
        std::vector<std::byte> region(size);
        std::memcpy(region.data(), bytes, size);
        regions[address] = std::move(region);
    }
    void placeText(std::uint64_t address, std::string_view text) {
        place(address, text.data(), text.size());
    }
    template <typename T> void placeValue(std::uint64_t address, T value) {
        place(address, &value, sizeof value);
    }

    std::map<std::string, platform::WindowHandle> windows;
    std::map<std::uint64_t, std::vector<std::byte>> regions;
    std::set<std::uint64_t> mapped;
    /// Processes that have ended.
    std::set<platform::ProcessId> exited;
    bool openSucceeds = true;
    int findCalls = 0;
    int openCalls = 0;
    int windowProcessCalls = 0;
    int readCalls = 0;
    int batchCalls = 0;
    std::size_t lastBatchSize = 0;
    int openHandles = 0;
    platform::ProcessId lastOpened = 0;
};

} // namespace ostrelo::testing
