// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/process_memory_linux.h"
#include "platform/linux/x11_display.h"
#include "platform/linux/x11_window_state.h"
#include "platform/native.h"

namespace ostrelo::platform {

std::unique_ptr<ProcessMemory> nativeProcessMemory() {
    return std::make_unique<LinuxProcessMemory>();
}

std::string nativeDisplayProblem() {
    return x11DisplayProblem();
}

void keepAboveOutOfTaskbar(std::uintptr_t window) {
    x11KeepAboveOutOfTaskbar(static_cast<std::uint32_t>(window));
}

void letClicksThroughFrame(std::uintptr_t window, bool through) {
    x11LetClicksThroughFrame(static_cast<std::uint32_t>(window), through);
}

bool isReframing(const void *message) {
    return x11IsReparentNotify(message);
}

} // namespace ostrelo::platform
