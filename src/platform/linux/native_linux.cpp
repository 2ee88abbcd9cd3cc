// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/process_memory_linux.h"
#include "platform/linux/x11_display.h"
#include "platform/native.h"

namespace ostrelo::platform {

std::unique_ptr<ProcessMemory> nativeProcessMemory() {
    return std::make_unique<LinuxProcessMemory>();
}

std::string nativeDisplayProblem() {
    return x11DisplayProblem();
}

} // namespace ostrelo::platform
