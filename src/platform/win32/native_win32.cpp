// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/native.h"
#include "platform/win32/process_memory_win32.h"

namespace ostrelo::platform {

std::unique_ptr<ProcessMemory> nativeProcessMemory() {
    return std::make_unique<Win32ProcessMemory>();
}

std::string nativeDisplayProblem() {
    // A Windows session always has its desktop.
    return {};
}

} // namespace ostrelo::platform
