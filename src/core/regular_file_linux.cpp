// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/regular_file.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ostrelo::core {
namespace {

std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a FIFO (named pipe)";
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return "a device";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return "not a regular file";
}

std::string refusal(const std::string &path, const std::string &why) {
    return path + " cannot be used: " + why;
}

std::string systemError(int error) {
    return std::strerror(error);
}

std::string folderOf(const std::string &path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a write replaces: the target of a link, so that the link survives.
std::string resolved(const std::string &path) {
    char *real = ::realpath(path.c_str(), nullptr);
    if (!real) {
        return path;
    }
    std::string target(real);
    std::free(real);
    return target;
}

class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int get() const { return m_fd; }
    int release() { return std::exchange(m_fd, -1); }

private:
    int m_fd;
};

std::string temporaryNextTo(const std::string &target) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const auto slash = target.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    return folder + '.' + name + ".tmp-" + std::to_string(stamp) + '-' + std::to_string(++counter);
}

} // namespace

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return written < 0 ? errno : ENOSPC;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

std::string notARegularFile(const std::string &path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        // Missing is fine: the file is made when first written.
        return errno == ENOENT ? std::string() : refusal(path, systemError(errno));
    }
    return S_ISREG(status.st_mode) ? std::string()
                                   : refusal(path, "it is " + kindOf(status.st_mode));
}

FileContents readRegularFile(const std::string &path) {
    FileContents contents;
    if (std::string problem = notARegularFile(path); !problem.empty()) {
        contents.status = FileContents::Status::Refused;
        contents.problem = std::move(problem);
        return contents;
    }
    // O_NONBLOCK: should the name become a FIFO after the check, the open still returns.
    const Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (fd.get() < 0) {
        if (errno == ENOENT) {
            return contents;
        }
        contents.status = FileContents::Status::Refused;
        contents.problem = refusal(path, "it cannot be read (" + systemError(errno) + ")");
        return contents;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        contents.status = FileContents::Status::Refused;
        contents.problem = refusal(path, "it is " + kindOf(status.st_mode));
        return contents;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            contents.status = FileContents::Status::Refused;
            contents.problem = refusal(path, "it cannot be read (" + systemError(errno) + ")");
            contents.bytes.clear();
            return contents;
        }
        if (count == 0) {
            break;
        }
        contents.bytes.append(buffer, static_cast<std::size_t>(count));
    }
    contents.status = FileContents::Status::Read;
    return contents;
}

std::string cannotReplace(const std::string &path) {
    if (std::string problem = notARegularFile(path); !problem.empty()) {
        return problem;
    }
    const std::string target = resolved(path);
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0) {
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            return refusal(path, "this user may not write it (" + systemError(errno) + ")");
        }
        // The administrator may write anything; a file nobody may write is read-only by
        // intent, and stays so for him too.
        if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            return refusal(path, "it is read-only");
        }
    }
    const std::string folder = folderOf(target);
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return refusal(path, "this user may not write in its folder " + folder + " (" +
                                 systemError(errno) + ")");
    }
    return {};
}

std::string replaceFile(const std::string &path, std::string_view bytes) {
    if (std::string problem = cannotReplace(path); !problem.empty()) {
        return problem;
    }
    const std::string target = resolved(path);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    const std::string temporary = temporaryNextTo(target);
    Descriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC,
                         exists ? (old.st_mode & 07777) : 0644));
    if (fd.get() < 0) {
        return refusal(path, "a new copy cannot be made (" + systemError(errno) + ")");
    }
    // The umask may have narrowed the mode given to open.
    if (exists) {
        ::fchmod(fd.get(), old.st_mode & 07777);
    }
    int error = writeAll(fd.get(), bytes);
    if (error == 0 && ::fsync(fd.get()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return refusal(path, "it cannot be written (" + systemError(error) + ")");
    }
    ::close(fd.release());
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        return refusal(path, "it cannot be replaced (" + systemError(error) + ")");
    }
    const Descriptor folder(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.get() >= 0) {
        ::fsync(folder.get());
    }
    return {};
}

int openForAppend(const std::string &path, std::string &problem) {
    problem = notARegularFile(path);
    if (!problem.empty()) {
        return -1;
    }
    Descriptor fd(::open(path.c_str(),
                         O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        problem = refusal(path, "it cannot be opened for writing (" + systemError(errno) + ")");
        return -1;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = refusal(path, "it is " + kindOf(status.st_mode));
        return -1;
    }
    // Regular files never block; plain writes from here on.
    ::fcntl(fd.get(), F_SETFL, O_WRONLY | O_APPEND);
    return fd.release();
}

std::int64_t endOfFile(int fd) {
    return ::lseek(fd, 0, SEEK_END);
}

int truncateFile(int fd, std::int64_t size) {
    return ::ftruncate(fd, static_cast<off_t>(size)) == 0 ? 0 : errno;
}

void closeFile(int fd) {
    ::close(fd);
}

} // namespace ostrelo::core
