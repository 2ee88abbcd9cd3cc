// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/regular_file.h"
#include "core/windows_text_win32.h"

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

using Cause = FileProblem::Cause;

// Names are UTF-8 inside the program and UTF-16 for the system.
std::wstring wide(const std::string &utf8) {
    return wideFromUtf8(utf8);
}

FileProblem refusal(const std::string &path, Cause cause, std::string systemText = {},
                    std::string other = {}) {
    return {cause, path, std::move(other), std::move(systemText)};
}

FileProblem lastError(const std::string &path, Cause cause, std::string other = {}) {
    return refusal(path, cause, systemMessage(::GetLastError()), std::move(other));
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

// The folder that holds `path`; a root folder keeps its separator.
std::string folderOf(const std::string &path) {
    const auto separator = path.find_last_of("\\/");
    if (separator == std::string::npos) {
        return ".";
    }
    const bool root = separator == 0 || (separator == 2 && path[1] == ':');
    return path.substr(0, root ? separator + 1 : separator);
}

// Why this user may not make files in `folder` (Windows' words), or empty. Windows decides
// by the folder's access list, which only an attempt tells for sure: a file that is gone
// once closed. A folder that is missing, or is a file, fails the same way.
std::string cannotMakeFilesIn(const std::string &folder) {
    const std::string separator = folder.ends_with('\\') || folder.ends_with('/') ? "" : "\\";
    const Handle probe(::CreateFileW(
        wide(temporaryNextTo(folder + separator + ".ostrelo")).c_str(), GENERIC_WRITE, 0, nullptr,
        CREATE_NEW, FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE,
        nullptr));
    return probe.valid() ? std::string() : systemMessage(::GetLastError());
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

FileProblem notARegularFile(const std::string &path) {
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        // Missing is fine: the file is made when first written.
        const DWORD error = ::GetLastError();
        return missing(error) ? FileProblem()
                              : refusal(path, Cause::Unchecked, systemMessage(error));
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return refusal(path, Cause::Folder);
    }
    // Asking for no access reads nothing, even from a device.
    const Handle file(openExisting(path, 0));
    if (file.valid()) {
        switch (::GetFileType(file.get())) {
        case FILE_TYPE_DISK:
            break;
        case FILE_TYPE_CHAR:
            return refusal(path, Cause::Device);
        case FILE_TYPE_PIPE:
            return refusal(path, Cause::Fifo);
        default:
            return refusal(path, Cause::NotRegular);
        }
    }
    return {};
}

FileContents readRegularFile(const std::string &path) {
    FileContents contents;
    if (FileProblem problem = notARegularFile(path); !problem.empty()) {
        contents.status = FileContents::Status::Refused;
        contents.problem = std::move(problem);
        return contents;
    }
    const Handle file(openExisting(path, GENERIC_READ));
    if (!file.valid()) {
        const DWORD error = ::GetLastError();
        if (!missing(error)) {
            contents.status = FileContents::Status::Refused;
            contents.problem = refusal(path, Cause::CannotRead, systemMessage(error));
        }
        return contents;
    }
    char buffer[65536];
    for (;;) {
        DWORD count = 0;
        if (!::ReadFile(file.get(), buffer, sizeof buffer, &count, nullptr)) {
            contents.status = FileContents::Status::Refused;
            contents.problem = lastError(path, Cause::CannotRead);
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

FileProblem cannotReplace(const std::string &path) {
    if (FileProblem problem = notARegularFile(path); !problem.empty()) {
        return problem;
    }
    const DWORD attributes = ::GetFileAttributesW(wide(path).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return refusal(path, Cause::ReadOnly);
        }
        const Handle file(openExisting(path, GENERIC_WRITE));
        if (!file.valid()) {
            return lastError(path, Cause::MayNotWrite);
        }
    }
    // A new file and a replacement alike are made in the folder.
    const std::string folder = folderOf(path);
    if (std::string why = cannotMakeFilesIn(folder); !why.empty()) {
        return refusal(path, Cause::MayNotWriteInFolder, std::move(why), folder);
    }
    return {};
}

FileProblem replaceFile(const std::string &path, std::string_view bytes) {
    if (FileProblem problem = cannotReplace(path); !problem.empty()) {
        return problem;
    }
    const std::string temporary = temporaryNextTo(path);
    {
        const Handle file(::CreateFileW(wide(temporary).c_str(), GENERIC_WRITE, 0, nullptr,
                                        CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) {
            return lastError(path, Cause::CannotMakeCopy);
        }
        std::string_view rest = bytes;
        while (!rest.empty()) {
            const DWORD chunk =
                rest.size() > 0x40000000 ? 0x40000000U : static_cast<DWORD>(rest.size());
            DWORD written = 0;
            if (!::WriteFile(file.get(), rest.data(), chunk, &written, nullptr) || written == 0) {
                const FileProblem problem = lastError(path, Cause::CannotWrite);
                ::DeleteFileW(wide(temporary).c_str());
                return problem;
            }
            rest.remove_prefix(written);
        }
        if (!::FlushFileBuffers(file.get())) {
            const FileProblem problem = lastError(path, Cause::CannotWrite);
            ::DeleteFileW(wide(temporary).c_str());
            return problem;
        }
    }
    if (!::MoveFileExW(wide(temporary).c_str(), wide(path).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const FileProblem problem = lastError(path, Cause::CannotReplace);
        ::DeleteFileW(wide(temporary).c_str());
        return problem;
    }
    return {};
}

FileProblem
rewriteFile(const std::string &path,
            const std::function<std::optional<std::string>(const FileContents &)> &change) {
    if (FileProblem problem = cannotReplace(path); !problem.empty()) {
        return problem;
    }
    const FileContents contents = readRegularFile(path);
    if (contents.status == FileContents::Status::Refused) {
        return contents.problem;
    }
    const std::optional<std::string> bytes = change(contents);
    return bytes ? replaceFile(path, *bytes) : FileProblem();
}

int openForAppend(const std::string &path, FileProblem &problem) {
    problem = notARegularFile(path);
    if (!problem.empty()) {
        return -1;
    }
    const int fd = ::_wopen(wide(path).c_str(), _O_WRONLY | _O_APPEND | _O_CREAT | _O_BINARY,
                            _S_IREAD | _S_IWRITE);
    if (fd < 0) {
        problem = refusal(path, Cause::CannotOpenForWriting, std::strerror(errno));
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
