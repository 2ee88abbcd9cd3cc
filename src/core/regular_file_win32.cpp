// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/regular_file.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <utility>
#include <windows.h>

namespace ostrelo::core {
namespace {

// Names are UTF-8 inside the program and UTF-16 for the system.
std::wstring wide(const std::string &utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size =
        ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), text.data(),
                          size);
    return text;
}

std::string systemMessage(DWORD error) {
    char *buffer = nullptr;
    const DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<char *>(&buffer), 0, nullptr);
    std::string text = length != 0 ? std::string(buffer, length) : "error " + std::to_string(error);
    ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == '.')) {
        text.pop_back();
    }
    return text;
}

std::string refusal(const std::string &path, const std::string &why) {
    return path + " cannot be used: " + why;
}

bool missing(DWORD error) {
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

class Handle {
public:
    explicit Handle(HANDLE handle) : m_handle(handle) {}
    ~Handle() {
        if (valid()) {
            ::CloseHandle(m_handle);
        }
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;
    bool valid() const { return m_handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return m_handle; }

private:
    HANDLE m_handle;
};

HANDLE openExisting(const std::string &path, DWORD access) {
    return ::CreateFileW(wide(path).c_str(), access,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string temporaryNextTo(const std::string &target) {
    static std::atomic<unsigned> counter{0};
    return target + ".tmp-" + std::to_string(::GetCurrentProcessId()) + '-' +
           std::to_string(++counter);
}

} // namespace

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const unsigned chunk =
            bytes.size() > 0x40000000 ? 0x40000000U : static_cast<unsigned>(bytes.size());
        const int written = ::_write(fd, bytes.data(), chunk);
        if (written <= 0) {
            return written < 0 ? errno : ENOSPC;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::string notARegularFile(const std::string &path) {
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Missing is fine: the file is made when first written.
        const DWORD error = ::GetLastError();
        return missing(error) ? std::string() : refusal(path, systemMessage(error));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return refusal(path, "it is a folder");
    }
    // Asking for no access reads nothing, even from a device.
    const Handle file(openExisting(path, 0));
    if (file.valid() && ::GetFileType(file.get()) != FILE_TYPE_DISK) {
        return refusal(path, "it is not a regular file");
    }
    return {};
}

FileContents readRegularFile(const std::string &path) {
    FileContents contents;
    if (std::string problem = notARegularFile(path); !problem.empty()) {
        contents.status = FileContents::Status::Refused;
        contents.problem = std::move(problem);
        return contents;
    }
    const Handle file(openExisting(path, GENERIC_READ));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        if (!missing(error)) {
            contents.status = FileContents::Status::Refused;
            contents.problem = refusal(path, "it cannot be read (" + systemMessage(error) + ")");
        }
        return contents;
    }
    char buffer[65536];
    for (;;) {
        DWORD count = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) {
            contents.status = FileContents::Status::Refused;
            contents.problem =
                refusal(path, "it cannot be read (" + systemMessage(::GetLastError()) + ")");
            contents.bytes.clear();
            return contents;
        }
        if (count == 0) {
            break;
        }
        contents.bytes.append(buffer, count);
    }
    contents.status = FileContents::Status::Read;
    return contents;
}

std::string cannotReplace(const std::string &path) {
    if (std::string problem = notARegularFile(path); !problem.empty()) {
        return problem;
    }
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return {};
    }
    if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return refusal(path, "it is read-only");
    }
    const Handle file(openExisting(path, GENERIC_WRITE));
    if (!file.valid()) {
        return refusal(path,
                       "this user may not write it (" + systemMessage(::GetLastError()) + ")");
    }
    return {};
}

std::string replaceFile(const std::string &path, std::string_view bytes) {
    if (std::string problem = cannotReplace(path); !problem.empty()) {
        return problem;
    }
    const std::string temporary = temporaryNextTo(path);
    {
        const Handle file(::CreateFileW(wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            return refusal(path,
                           "a new copy cannot be made (" + systemMessage(::GetLastError()) + ")");
        }
        std::string_view rest = bytes;
        while (!rest.empty()) {
            const DWORD chunk =
                rest.size() > 0x40000000 ? 0x40000000U : static_cast<DWORD>(rest.size());
            DWORD written = 0;
            if (!::WriteFile(file.get(), rest.data(), chunk, &written, nullptr) || written == 0) {
                const DWORD error = ::GetLastError();
                ::DeleteFileW(wide(temporary).c_str());
                return refusal(path, "it cannot be written (" + systemMessage(error) + ")");
            }
            rest.remove_prefix(written);
        }
        if (!::FlushFileBuffers(file.get())) {
            const DWORD error = ::GetLastError();
            ::DeleteFileW(wide(temporary).c_str());
            return refusal(path, "it cannot be written (" + systemMessage(error) + ")");
        }
    }
    if (!::MoveFileExW(wide(temporary).c_str(), wide(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(wide(temporary).c_str());
        return refusal(path, "it cannot be replaced (" + systemMessage(error) + ")");
    }
    return {};
}

std::string rewriteFile(const std::string &path,
                        const std::function<std::optional<std::string>(const FileContents &)> &change) {
    if (std::string problem = cannotReplace(path); !problem.empty()) {
        return problem;
    }
    const FileContents contents = readRegularFile(path);
    if (contents.status == FileContents::Status::Refused) {
        return contents.problem;
    }
    const std::optional<std::string> bytes = change(contents);
    return bytes ? replaceFile(path, *bytes) : std::string();
}

int openForAppend(const std::string &path, std::string &problem) {
    problem = notARegularFile(path);
    if (!problem.empty()) {
        return -1;
    }
    const int fd = ::_wopen(wide(path).c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY,
                            _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        problem = refusal(path, "it cannot be opened for writing (" +
                                    std::string(std::strerror(errno)) + ")");
    }
    return fd;
}

std::int64_t endOfFile(int fd) {
    return ::_lseeki64(fd, 0, SEEK_END);
}

int truncateFile(int fd, std::int64_t size) {
    return ::_chsize_s(fd, size);
}

void closeFile(int fd) {
    ::_close(fd);
}

} // namespace ostrelo::core
