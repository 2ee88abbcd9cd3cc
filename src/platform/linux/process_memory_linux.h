// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/linux/x11_window_search.h"
#include "platform/process_memory.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace ostrelo::platform {

/// The game under Wine or Proton on X11: the window found through the X server
/// (`X11WindowSearch`), the process read through /proc/PID/mem opened read-only. Never
/// attaches with ptrace, so the game is never stopped.
class LinuxProcessMemory : public ProcessMemory {
public:
    LinuxProcessMemory();
    ~LinuxProcessMemory() override;
    LinuxProcessMemory(const LinuxProcessMemory &) = delete;
    LinuxProcessMemory &operator=(const LinuxProcessMemory &) = delete;

    WindowHandle findWindow(std::string_view title) override;
    ProcessId windowProcess(WindowHandle window) override;
    ProcessHandle openProcess(ProcessId process) override;
    std::size_t read(ProcessHandle process, std::uint64_t address,
                     std::span<std::byte> buffer) override;
    /// One process_vm_readv for the whole batch; the pieces it could not copy whole are read
    /// again one by one, so each keeps the count a single read would give.
    void readMany(ProcessHandle process, std::span<ReadRequest> requests) override;
    /// Watched through a pidfd, which stays bound to the process it was opened for.
    bool processRunning(ProcessHandle process) override;
    void closeProcess(ProcessHandle process) override;

    /// Why `process` cannot be read, in words a user can act on, for the error `error`
    /// (an errno value) met when opening its memory; `windowStillThere` tells a process that
    /// lives out of sight (its window is open) from one that has ended.
    static std::string openFailureReason(ProcessId process, int error,
                                         bool windowStillThere = true);

private:
    X11WindowSearch m_windows;
    // The process behind each open handle, for process_vm_readv, and a pidfd that tells
    // when it ends (-1 where the kernel has none).
    struct OpenProcess {
        ProcessId id = 0;
        int pidfd = -1;
    };
    std::map<ProcessHandle, OpenProcess> m_processes;
};

} // namespace ostrelo::platform
