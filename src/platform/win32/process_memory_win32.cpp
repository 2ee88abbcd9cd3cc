// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/process_memory_win32.h"

#include "core/windows_text_win32.h"

#include <algorithm>
#include <string>
#include <windows.h>

namespace ostrelo::platform {
namespace {

HANDLE handleOf(ProcessHandle process) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(process));
}

// Copies what can be read of [address, address + size) into `into`; false when the system
// refuses the whole range.
bool readRange(HANDLE process, std::uint64_t address, std::byte *into, std::size_t size) {
    SIZE_T copied = 0;
    return ::ReadProcessMemory(process,
                               reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)),
                               into, size, &copied) &&
           copied == size;
}

std::size_t pageSize() {
    static const std::size_t size = [] {
        SYSTEM_INFO info;
        ::GetSystemInfo(&info);
        return static_cast<std::size_t>(info.dwPageSize);
    }();
    return size;
}

} // namespace

WindowHandle Win32ProcessMemory::findWindow(std::string_view title) {
    const HWND window = ::FindWindowW(nullptr, core::wideFromUtf8(title).c_str());
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

ProcessId Win32ProcessMemory::windowProcess(WindowHandle window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)),
                               &process);
    return process;
}

std::string Win32ProcessMemory::openFailureReason(ProcessId process, unsigned long error) {
    const std::string pid = std::to_string(process);
    // Windows knows no process of that id (any more), or it has ended.
    if (process == 0 || error == ERROR_INVALID_PARAMETER) {
        return process == 0
                   ? "The game's window closed before Ostrelo could read the game."
                   : "Process " + pid + " has ended: the game closed before Ostrelo could read it.";
    }
    std::string advice;
    if (error == ERROR_ACCESS_DENIED) {
        advice = "Start Ostrelo as the same user as the game, and as administrator when the "
                 "game runs as administrator.";
    } else if (error == ERROR_NOT_ENOUGH_MEMORY || error == ERROR_NO_SYSTEM_RESOURCES ||
               error == ERROR_OUTOFMEMORY) {
        advice = "Close other programs, or start the computer again.";
    } else {
        advice = "Start the game and Ostrelo again.";
    }
    return "Cannot open process " + pid + " for reading: " + core::systemMessage(error) + ". " +
           advice;
}

ProcessHandle Win32ProcessMemory::openProcess(ProcessId process) {
    // Reading needs no more than these rights, and telling when the game ends the right to
    // wait for it; Ostrelo never writes to the game.
    const HANDLE handle = ::OpenProcess(
        PROCESS_VM_READ | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, process);
    if (handle == nullptr) {
        setProblem(openFailureReason(process, ::GetLastError()));
        return 0;
    }
    // A process that has ended lives on while anyone holds it open, with nothing to read.
    if (::WaitForSingleObject(handle, 0) != WAIT_TIMEOUT) {
        ::CloseHandle(handle);
        setProblem(openFailureReason(process, ERROR_INVALID_PARAMETER));
        return 0;
    }
    setProblem({});
    return static_cast<ProcessHandle>(reinterpret_cast<std::uintptr_t>(handle));
}

std::size_t Win32ProcessMemory::read(ProcessHandle process, std::uint64_t address,
                                     std::span<std::byte> buffer) {
    if (process == 0 || buffer.empty()) {
        return 0;
    }
    if (readRange(handleOf(process), address, buffer.data(), buffer.size())) {
        return buffer.size();
    }
    // A read that runs into memory that cannot be read copies nothing at all (and under Wine
    // not even the count). Readable or not goes by whole pages: read page by page up to the
    // first one that fails.
    const std::size_t page = pageSize();
    std::size_t copied = 0;
    while (copied < buffer.size()) {
        const std::uint64_t at = address + copied;
        const std::size_t toPageEnd = page - static_cast<std::size_t>(at % page);
        const std::size_t size = std::min(toPageEnd, buffer.size() - copied);
        if (!readRange(handleOf(process), at, buffer.data() + copied, size)) {
            break;
        }
        copied += size;
    }
    return copied;
}

bool Win32ProcessMemory::processRunning(ProcessHandle process) {
    // The exit code cannot tell: a game may end with STILL_ACTIVE (259) as its code.
    return process != 0 && ::WaitForSingleObject(handleOf(process), 0) == WAIT_TIMEOUT;
}

void Win32ProcessMemory::closeProcess(ProcessHandle process) {
    if (process != 0) {
        ::CloseHandle(handleOf(process));
    }
}

} // namespace ostrelo::platform
