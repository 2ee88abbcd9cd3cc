// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/linux/process_memory_linux.h"

#include "core/error.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <poll.h>
#include <sys/syscall.h>
#include <sys/uio.h>
#include <unistd.h>

namespace ostrelo::platform {
namespace {

// The value of "Key:" in /proc/PID/status, or -1.
long statusField(ProcessId process, const std::string &key) {
    std::ifstream status("/proc/" + std::to_string(process) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(key + ':', 0) == 0) {
            return std::strtol(line.c_str() + key.size() + 1, nullptr, 10);
        }
    }
    return -1;
}

int ptraceScope() {
    std::ifstream scope("/proc/sys/kernel/yama/ptrace_scope");
    int value = -1;
    scope >> value;
    return value;
}

constexpr ProcessHandle handleOf(int fd) {
    return static_cast<ProcessHandle>(fd) + 1;
}
constexpr int fdOf(ProcessHandle handle) {
    return static_cast<int>(handle) - 1;
}

} // namespace

LinuxProcessMemory::LinuxProcessMemory() = default;

LinuxProcessMemory::~LinuxProcessMemory() = default;

WindowHandle LinuxProcessMemory::findWindow(std::string_view title) {
    const WindowHandle found = m_windows.findWindow(title);
    setProblem(m_windows.problem());
    return found;
}

ProcessId LinuxProcessMemory::windowProcess(WindowHandle window) {
    return window == 0 ? 0 : m_windows.windowProcess(static_cast<std::uint32_t>(window));
}

std::string LinuxProcessMemory::openFailureReason(ProcessId process, int error,
                                                  bool windowStillThere) {
    const std::string pid = std::to_string(process);
    if (process == 0) {
        return "The game window does not name its process (_NET_WM_PID is missing).";
    }
    if ((error == ENOENT || error == ESRCH) && !windowStillThere) {
        return "Process " + pid + " has ended: the game closed before Ostrelo could read it.";
    }
    if (error == ENOENT || error == ESRCH) {
        return "Process " + pid +
               " is not visible here, though its window is open. If the game runs in a sandbox "
               "or container (another PID namespace, as with Flatpak Steam), start Ostrelo "
               "inside the same sandbox.";
    }
    if (error == EACCES || error == EPERM) {
        const long tracer = statusField(process, "TracerPid");
        if (tracer > 0) {
            return "Process " + pid + " is already traced by process " + std::to_string(tracer) +
                   " (a debugger?), so its memory cannot be read until that ends.";
        }
        const int scope = ptraceScope();
        if (scope >= 1) {
            return "The kernel does not let Ostrelo read process " + pid +
                   " (kernel.yama.ptrace_scope = " + std::to_string(scope) +
                   "). Run \"sudo sysctl kernel.yama.ptrace_scope=0\", or give Ostrelo the "
                   "right once with \"sudo setcap cap_sys_ptrace=eip $(command -v ostrelo)\".";
        }
        return "Permission denied reading process " + pid +
               ": run Ostrelo as the same user as the game.";
    }
    return "Cannot open the memory of process " + pid + ": " + std::strerror(error);
}

ProcessHandle LinuxProcessMemory::openProcess(ProcessId process) {
    if (process == 0) {
        setProblem(openFailureReason(process, 0));
        return 0;
    }
    const std::string path = "/proc/" + std::to_string(process) + "/mem";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // A process that is nowhere to be seen has ended, unless the window that named it
        // is still open: then it lives where Ostrelo cannot see it.
        setProblem(openFailureReason(
            process, error, (error != ENOENT && error != ESRCH) || m_windows.stillNamed(process)));
        return 0;
    }
    const auto pidfd = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(process), 0));
    if (pidfd >= 0) {
        ::fcntl(pidfd, F_SETFD, FD_CLOEXEC);
    }
    m_processes[handleOf(fd)] = {process, pidfd};
    setProblem({});
    return handleOf(fd);
}

std::size_t LinuxProcessMemory::read(ProcessHandle process, std::uint64_t address,
                                     std::span<std::byte> buffer) {
    if (process == 0 || buffer.empty()) {
        return 0;
    }
    const ssize_t count =
        ::pread(fdOf(process), buffer.data(), buffer.size(), static_cast<off_t>(address));
    return count > 0 ? static_cast<std::size_t>(count) : 0;
}

void LinuxProcessMemory::readMany(ProcessHandle process, std::span<ReadRequest> requests) {
    const auto found = m_processes.find(process);
    ssize_t total = -1;
    if (found != m_processes.end() && !requests.empty()) {
        std::vector<iovec> local(requests.size());
        std::vector<iovec> remote(requests.size());
        for (std::size_t i = 0; i < requests.size(); ++i) {
            local[i] = {requests[i].buffer.data(), requests[i].buffer.size()};
            remote[i] = {reinterpret_cast<void *>(static_cast<std::uintptr_t>(requests[i].address)),
                         requests[i].buffer.size()};
        }
        total = ::process_vm_readv(static_cast<pid_t>(found->second.id), local.data(),
                                   static_cast<unsigned long>(local.size()), remote.data(),
                                   static_cast<unsigned long>(remote.size()), 0);
    }
    // The call stops at the first piece it cannot copy; the rest are read on their own.
    std::size_t left = total > 0 ? static_cast<std::size_t>(total) : 0;
    for (ReadRequest &request : requests) {
        if (left >= request.buffer.size()) {
            request.copied = request.buffer.size();
            left -= request.buffer.size();
        } else {
            left = 0;
            request.copied = read(process, request.address, request.buffer);
        }
    }
}

bool LinuxProcessMemory::processRunning(ProcessHandle process) {
    const auto found = m_processes.find(process);
    if (found == m_processes.end()) {
        return false;
    }
    if (found->second.pidfd >= 0) {
        // A pidfd becomes readable when its process ends, zombie or reaped.
        pollfd watch{found->second.pidfd, POLLIN, 0};
        return ::poll(&watch, 1, 0) == 0;
    }
    return ::kill(static_cast<pid_t>(found->second.id), 0) == 0 || errno == EPERM;
}

void LinuxProcessMemory::closeProcess(ProcessHandle process) {
    if (process != 0) {
        if (const auto found = m_processes.find(process);
            found != m_processes.end() && found->second.pidfd >= 0) {
            ::close(found->second.pidfd);
        }
        m_processes.erase(process);
        ::close(fdOf(process));
    }
}

} // namespace ostrelo::platform
