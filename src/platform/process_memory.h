// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <utility>

namespace ostrelo::platform {

/// A top-level window; 0 means none.
using WindowHandle = std::uint64_t;
/// A process id; 0 means none.
using ProcessId = std::uint32_t;
/// An open process; 0 means none.
using ProcessHandle = std::uint64_t;

/// One piece of a batch of reads: where, into which buffer, and (after the batch) how many
/// bytes were copied.
struct ReadRequest {
    std::uint64_t address = 0;
    std::span<std::byte> buffer;
    std::size_t copied = 0;
};

/// Read-only access to another process's memory, and the window search that finds it.
class ProcessMemory {
public:
    virtual ~ProcessMemory() = default;

    /// The top-level window whose title is exactly `title`, or 0 (`problem()` says why when
    /// no window can be looked for at all).
    virtual WindowHandle findWindow(std::string_view title) = 0;
    /// The id of the process that owns `window`, or 0 when it cannot be told.
    virtual ProcessId windowProcess(WindowHandle window) = 0;
    /// Opens `process` for reading; 0 when it cannot be opened (`problem()` says why).
    virtual ProcessHandle openProcess(ProcessId process) = 0;
    /// Copies up to `buffer.size()` bytes from `address` in the process and returns how many
    /// were copied: 0 for an unmapped address, fewer at the end of a mapping.
    virtual std::size_t read(ProcessHandle process, std::uint64_t address,
                             std::span<std::byte> buffer) = 0;
    /// Makes every read of `requests`, each with its own count as `read` would give it. A
    /// backend may carry them in one call to the system; by default they are made one by one.
    virtual void readMany(ProcessHandle process, std::span<ReadRequest> requests) {
        for (ReadRequest &request : requests) {
            request.copied = read(process, request.address, request.buffer);
        }
    }
    /// False once the process behind `process` has ended (its memory then reads nothing, and
    /// its id may already name another process).
    virtual bool processRunning(ProcessHandle process) = 0;
    /// Releases a handle from `openProcess`.
    virtual void closeProcess(ProcessHandle process) = 0;

    /// Why the last window search or open failed, in words a user can act on; empty when it
    /// did not fail. The backend reports nothing itself: its caller does, under its own name.
    const std::string &problem() const { return m_problem; }

protected:
    void setProblem(std::string problem) { m_problem = std::move(problem); }

private:
    std::string m_problem;
};

} // namespace ostrelo::platform
