// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/win32/process_memory_win32.h"

#include "core/error.h"

#include <string>
#include <windows.h>

namespace ostrelo::platform {
namespace {

std::wstring wide(std::string_view utf8) {
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                        length);
    return text;
}

HANDLE handleOf(ProcessHandle process) {
    return reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(process));
}

} // namespace

WindowHandle Win32ProcessMemory::findWindow(std::string_view title) {
    const HWND window = FindWindowW(nullptr, wide(title).c_str());
    return static_cast<WindowHandle>(reinterpret_cast<std::uintptr_t>(window));
}

ProcessId Win32ProcessMemory::windowProcess(WindowHandle window) {
    DWORD process = 0;
    GetWindowThreadProcessId(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(window)), &process);
    return process;
}

ProcessHandle Win32ProcessMemory::openProcess(ProcessId process) {
    // Reading needs no more than these rights; Ostrelo never writes to the game.
    const HANDLE handle =
        OpenProcess(PROCESS_VM_READ | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    if (handle == nullptr) {
        setProblem("Cannot open process " + std::to_string(process) +
                   " for reading (Windows error " + std::to_string(GetLastError()) +
                   "); run Ostrelo as the same user as the game.");
        return 0;
    }
    setProblem({});
    return static_cast<ProcessHandle>(reinterpret_cast<std::uintptr_t>(handle));
}

std::size_t Win32ProcessMemory::read(ProcessHandle process, std::uint64_t address,
                                     std::span<std::byte> buffer) {
    if (process == 0) {
        return 0;
    }
    SIZE_T copied = 0;
    // Only the count matters: a partial copy fails but still says how much it copied.
    ReadProcessMemory(handleOf(process),
                      reinterpret_cast<LPCVOID>(static_cast<std::uintptr_t>(address)),
                      buffer.data(), buffer.size(), &copied);
    return static_cast<std::size_t>(copied);
}

bool Win32ProcessMemory::processRunning(ProcessHandle process) {
    DWORD code = 0;
    return process != 0 && GetExitCodeProcess(handleOf(process), &code) && code == STILL_ACTIVE;
}

void Win32ProcessMemory::closeProcess(ProcessHandle process) {
    if (process != 0) {
        CloseHandle(handleOf(process));
    }
}

} // namespace ostrelo::platform
