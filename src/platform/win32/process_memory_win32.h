// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "platform/process_memory.h"

#include <string>

namespace ostrelo::platform {

/// The game on Windows: the window found by its title, the process opened with the rights
/// that reading needs and nothing more.
class Win32ProcessMemory : public ProcessMemory {
public:
    WindowHandle findWindow(std::string_view title) override;
    ProcessId windowProcess(WindowHandle window) override;
    ProcessHandle openProcess(ProcessId process) override;
    std::size_t read(ProcessHandle process, std::uint64_t address,
                     std::span<std::byte> buffer) override;
    bool processRunning(ProcessHandle process) override;
    void closeProcess(ProcessHandle process) override;

    /// Why `process` cannot be opened, in words a user can act on, for the error `error` (as
    /// GetLastError gives it) met when opening it: Windows' own message and what to do.
    static std::string openFailureReason(ProcessId process, unsigned long error);
};

} // namespace ostrelo::platform
