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
#include <xcb/xcb.h>

namespace ostrelo::platform {
namespace {

struct FreeDeleter {
    void operator()(void *p) const { std::free(p); }
};
template <typename T> using XcbReply = std::unique_ptr<T, FreeDeleter>;

std::string latin1ToUtf8(std::string_view latin1) {
    std::string out;
    for (const char c : latin1) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80) {
            out += c;
        } else {
            out += static_cast<char>(0xC0 | (byte >> 6));
            out += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return out;
}

std::string propertyText(const xcb_get_property_reply_t *reply) {
    if (!reply || reply->format != 8) {
        return {};
    }
    const auto *data = static_cast<const char *>(xcb_get_property_value(reply));
    return {data, static_cast<std::size_t>(xcb_get_property_value_length(reply))};
}

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

LinuxProcessMemory::~LinuxProcessMemory() {
    if (m_connection) {
        xcb_disconnect(m_connection);
    }
}

std::uint32_t LinuxProcessMemory::atom(const char *name) {
    const auto cookie =
        xcb_intern_atom(m_connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name);
    XcbReply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(m_connection, cookie, nullptr));
    return reply ? reply->atom : static_cast<std::uint32_t>(XCB_ATOM_NONE);
}

bool LinuxProcessMemory::connected() {
    if (m_connection && !xcb_connection_has_error(m_connection)) {
        return true;
    }
    if (m_connection) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
    }
    const char *display = std::getenv("DISPLAY");
    if (!display || !*display) {
        setProblem("No X display (DISPLAY is not set): the game window cannot be found.");
        return false;
    }
    int screenNumber = 0;
    xcb_connection_t *connection = xcb_connect(nullptr, &screenNumber);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        setProblem(std::string("Cannot connect to the X display ") + display +
                   ": the game window cannot be found.");
        return false;
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < screenNumber && screens.rem; ++i) {
        xcb_screen_next(&screens);
    }
    m_connection = connection;
    m_root = screens.data->root;
    m_netClientList = atom("_NET_CLIENT_LIST");
    m_netWmName = atom("_NET_WM_NAME");
    m_utf8String = atom("UTF8_STRING");
    m_netWmPid = atom("_NET_WM_PID");
    return true;
}

std::vector<std::uint32_t> LinuxProcessMemory::topLevelWindows() {
    // A window manager lists the client windows; without one, they are the root's children.
    const auto listCookie =
        xcb_get_property(m_connection, 0, m_root, m_netClientList, XCB_ATOM_WINDOW, 0, 4096);
    XcbReply<xcb_get_property_reply_t> list(
        xcb_get_property_reply(m_connection, listCookie, nullptr));
    if (list && list->format == 32 && xcb_get_property_value_length(list.get()) > 0) {
        const auto *ids = static_cast<const xcb_window_t *>(xcb_get_property_value(list.get()));
        return {ids, ids + xcb_get_property_value_length(list.get()) / 4};
    }
    XcbReply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, m_root), nullptr));
    if (!tree) {
        return {};
    }
    const xcb_window_t *children = xcb_query_tree_children(tree.get());
    return {children, children + xcb_query_tree_children_length(tree.get())};
}

std::string LinuxProcessMemory::windowTitle(std::uint32_t window) {
    const auto netCookie =
        xcb_get_property(m_connection, 0, window, m_netWmName, m_utf8String, 0, 256);
    const auto plainCookie =
        xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 256);
    XcbReply<xcb_get_property_reply_t> netName(
        xcb_get_property_reply(m_connection, netCookie, nullptr));
    XcbReply<xcb_get_property_reply_t> plainName(
        xcb_get_property_reply(m_connection, plainCookie, nullptr));
    std::string name = propertyText(netName.get());
    return name.empty() ? latin1ToUtf8(propertyText(plainName.get())) : name;
}

WindowHandle LinuxProcessMemory::findWindow(std::string_view title) {
    if (!connected()) {
        return 0;
    }
    setProblem({});
    // Errors about windows that vanished come back as events; nobody else reads them.
    while (xcb_generic_event_t *event = xcb_poll_for_event(m_connection)) {
        std::free(event);
    }
    if (const auto cached = m_found.find(title); cached != m_found.end()) {
        if (windowTitle(cached->second) == title) {
            return cached->second;
        }
        m_found.erase(cached);
    }
    const std::vector<std::uint32_t> windows = topLevelWindows();
    // Ask for every window's name at once, then read the answers.
    std::vector<xcb_get_property_cookie_t> netNames;
    std::vector<xcb_get_property_cookie_t> plainNames;
    netNames.reserve(windows.size());
    plainNames.reserve(windows.size());
    for (const std::uint32_t window : windows) {
        netNames.push_back(
            xcb_get_property(m_connection, 0, window, m_netWmName, m_utf8String, 0, 256));
        plainNames.push_back(
            xcb_get_property(m_connection, 0, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 0, 256));
    }
    WindowHandle found = 0;
    for (std::size_t i = 0; i < windows.size(); ++i) {
        XcbReply<xcb_get_property_reply_t> netName(
            xcb_get_property_reply(m_connection, netNames[i], nullptr));
        XcbReply<xcb_get_property_reply_t> plainName(
            xcb_get_property_reply(m_connection, plainNames[i], nullptr));
        if (found) {
            continue;
        }
        std::string name = propertyText(netName.get());
        if (name.empty()) {
            name = latin1ToUtf8(propertyText(plainName.get()));
        }
        if (name == title) {
            found = windows[i];
        }
    }
    if (found) {
        m_found.emplace(std::string(title), static_cast<std::uint32_t>(found));
    }
    return found;
}

ProcessId LinuxProcessMemory::windowProcess(WindowHandle window) {
    if (!connected() || window == 0) {
        return 0;
    }
    const auto cookie = xcb_get_property(m_connection, 0, static_cast<xcb_window_t>(window),
                                         m_netWmPid, XCB_ATOM_CARDINAL, 0, 1);
    XcbReply<xcb_get_property_reply_t> reply(xcb_get_property_reply(m_connection, cookie, nullptr));
    if (!reply || reply->format != 32 || xcb_get_property_value_length(reply.get()) < 4) {
        return 0;
    }
    return *static_cast<const std::uint32_t *>(xcb_get_property_value(reply.get()));
}

std::string LinuxProcessMemory::openFailureReason(ProcessId process, int error) {
    const std::string pid = std::to_string(process);
    if (process == 0) {
        return "The game window does not name its process (_NET_WM_PID is missing).";
    }
    if (error == ENOENT || error == ESRCH) {
        return "Process " + pid +
               " is not visible here. If the game runs in a sandbox or container (another PID "
               "namespace, as with Flatpak Steam), start Ostrelo inside the same sandbox.";
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
        setProblem(openFailureReason(process, errno));
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
