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

void keepAboveOutOfTaskbar(std::uintptr_t) {
    // A tool window stays out of the taskbar, and the topmost flag keeps it above.
}

void letClicksThroughFrame(std::uintptr_t, bool) {
    // A frameless window has no frame of another program around it.
}

bool isReframing(const void *) {
    return false;
}

} // namespace ostrelo::platform
