// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/regular_file.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

namespace ostrelo::core {
namespace {

using Cause = FileProblem::Cause;

Cause kindOf(mode_t mode) {
    if (S_ISDIR(mode)) {
        return Cause::Folder;
    }
    if (S_ISFIFO(mode)) {
        return Cause::Fifo;
    }
    if (S_ISCHR(mode) || S_ISBLK(mode)) {
        return Cause::Device;
    }
    if (S_ISSOCK(mode)) {
        return Cause::Socket;
    }
    return Cause::NotRegular;
}

FileProblem refusal(const std::string &path, Cause cause, std::string systemText = {},
                    std::string other = {}) {
    return {cause, path, std::move(other), std::move(systemText)};
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

// The file `path` leads to through its symbolic links, also when the last link leads to a
// file that does not exist yet: the file a write makes or replaces, so that the link stays.
// A loop of links comes back as it is; the checks refuse it.
std::string linkTarget(const std::string &path) {
    std::string current = path;
    for (int hop = 0; hop < 40; ++hop) {
        struct stat status {};
        if (::lstat(current.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return current;
        }
        std::vector<char> buffer(static_cast<std::size_t>(status.st_size) + 256);
        const ssize_t length = ::readlink(current.c_str(), buffer.data(), buffer.size());
        if (length <= 0 || static_cast<std::size_t>(length) >= buffer.size()) {
            return current;
        }
        std::string target(buffer.data(), static_cast<std::size_t>(length));
        current = target.front() == '/' ? target : folderOf(current) + '/' + target;
    }
    return path;
}

bool inGroup(gid_t group) {
    if (group == ::getegid()) {
        return true;
    }
    const int count = ::getgroups(0, nullptr);
    std::vector<gid_t> groups(static_cast<std::size_t>(std::max(count, 0)));
    if (count <= 0 || ::getgroups(count, groups.data()) != count) {
        return false;
    }
    return std::find(groups.begin(), groups.end(), group) != groups.end();
}

// Whether a new file of this user can be given the owner and group of `old`: the
// administrator can give any, others only their own name and one of their groups.
bool canTakeOwner(const struct stat &old) {
    return ::geteuid() == 0 || (old.st_uid == ::geteuid() && inGroup(old.st_gid));
}

// A file with other hard links, or whose owner a new file cannot take over, is written in
// itself; any other goes through a new file renamed over it.
bool writtenInPlace(const struct stat &old) {
    return old.st_nlink > 1 || !canTakeOwner(old);
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

FileProblem notARegularFile(const std::string &path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        // Missing is fine: the file is made when first written.
        return errno == ENOENT ? FileProblem()
                               : refusal(path, Cause::Unchecked, systemError(errno));
    }
    return S_ISREG(status.st_mode) ? FileProblem() : refusal(path, kindOf(status.st_mode));
}

namespace {

// Reads the whole file open as `fd` into `contents`.
void readOpenFile(int fd, const std::string &path, FileContents &contents) {
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        contents.status = FileContents::Status::Refused;
        contents.problem = refusal(path, kindOf(status.st_mode));
        return;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t count = ::read(fd, buffer, sizeof buffer);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0) {
            contents.status = FileContents::Status::Refused;
            contents.problem = refusal(path, Cause::CannotRead, systemError(errno));
            contents.bytes.clear();
            return;
        }
        if (count == 0) {
            break;
        }
        contents.bytes.append(buffer, static_cast<std::size_t>(count));
    }
    contents.status = FileContents::Status::Read;
}

} // namespace

FileContents readRegularFile(const std::string &path) {
    FileContents contents;
    if (FileProblem problem = notARegularFile(path); !problem.empty()) {
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
        contents.problem = refusal(path, Cause::CannotRead, systemError(errno));
        return contents;
    }
    readOpenFile(fd.get(), path, contents);
    return contents;
}

FileProblem cannotReplace(const std::string &path) {
    if (FileProblem problem = notARegularFile(path); !problem.empty()) {
        return problem;
    }
    const std::string target = linkTarget(path);
    struct stat status {};
    if (::stat(target.c_str(), &status) == 0) {
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
            return refusal(path, Cause::MayNotWrite, systemError(errno));
        }
        // The administrator may write anything; a file nobody may write is read-only by
        // intent, and stays so for him too.
        if ((status.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
            return refusal(path, Cause::ReadOnly);
        }
        if (writtenInPlace(status)) {
            return {};
        }
    }
    const std::string folder = folderOf(target);
    if (target != path && ::access(folder.c_str(), F_OK) != 0 && errno == ENOENT) {
        return refusal(path, Cause::LinkIntoMissingFolder, {}, target);
    }
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) {
        return refusal(path, Cause::MayNotWriteInFolder, systemError(errno), folder);
    }
    return {};
}

namespace {

// Writes `bytes` into the file `target` itself. Room for them is taken first, so that a full
// disk leaves the file as it was.
FileProblem writeInPlace(const std::string &path, const std::string &target,
                         std::string_view bytes) {
    const Descriptor fd(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (fd.get() < 0 || ::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return refusal(path, Cause::CannotOpenForWriting, systemError(errno));
    }
    const auto size = static_cast<off_t>(bytes.size());
    if (size > status.st_size) {
        const int error = ::posix_fallocate(fd.get(), 0, size);
        if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
            return refusal(path, Cause::CannotWrite, systemError(error));
        }
    }
    int error = writeAll(fd.get(), bytes);
    if (error == 0 && ::ftruncate(fd.get(), size) != 0) {
        error = errno;
    }
    if (error == 0 && ::fsync(fd.get()) != 0) {
        error = errno;
    }
    return error == 0 ? FileProblem() : refusal(path, Cause::CannotWrite, systemError(error));
}

// Writes `bytes` as the file `target` that `path` leads to, after `cannotReplace` let it.
FileProblem writeFile(const std::string &path, const std::string &target, std::string_view bytes) {
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists && writtenInPlace(old)) {
        return writeInPlace(path, target, bytes);
    }
    const std::string temporary = temporaryNextTo(target);
    Descriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC,
                         exists ? (old.st_mode & 07777) : 0644));
    if (fd.get() < 0) {
        return refusal(path, Cause::CannotMakeCopy, systemError(errno));
    }
    struct stat made {};
    ::fstat(fd.get(), &made);
    struct stat folder {};
    if (exists) {
        // The file stays its owner's: an administrator's run must not take it from him.
        if ((made.st_uid != old.st_uid || made.st_gid != old.st_gid) &&
            ::fchown(fd.get(), old.st_uid, old.st_gid) != 0) {
            ::unlink(temporary.c_str());
            return writeInPlace(path, target, bytes);
        }
        // The umask may have narrowed the mode given to open, and a change of owner clears
        // the set-id bits.
        ::fchmod(fd.get(), old.st_mode & 07777);
    } else if (::geteuid() == 0 && ::stat(folderOf(target).c_str(), &folder) == 0) {
        // Made by the administrator in a user's folder, the file is still the user's (where
        // the file system knows owners at all).
        [[maybe_unused]] const int given = ::fchown(fd.get(), folder.st_uid, folder.st_gid);
    }
    int error = writeAll(fd.get(), bytes);
    if (error == 0 && ::fsync(fd.get()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return refusal(path, Cause::CannotWrite, systemError(error));
    }
    ::close(fd.release());
    if (::rename(temporary.c_str(), target.c_str()) != 0) {
        error = errno;
        ::unlink(temporary.c_str());
        return refusal(path, Cause::CannotReplace, systemError(error));
    }
    const Descriptor folderFd(::open(folderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folderFd.get() >= 0) {
        ::fsync(folderFd.get());
    }
    return {};
}

// Takes the lock that copies of the program rewriting `target` share, on the file itself; -1
// when the file does not exist. A lock still held after a second (a copy that hangs) is not
// waited for any longer.
int lockFile(const std::string &target, FileProblem &problem) {
    for (int attempt = 0; attempt < 10; ++attempt) {
        Descriptor fd(::open(target.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
        if (fd.get() < 0) {
            if (errno != ENOENT) {
                problem = refusal(target, Cause::CannotRead, systemError(errno));
            }
            return -1;
        }
        for (int wait = 0; wait < 100 && ::flock(fd.get(), LOCK_EX | LOCK_NB) != 0; ++wait) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        // Another copy may have renamed a new file over the one locked: lock that one then.
        struct stat locked {};
        struct stat named {};
        if (::fstat(fd.get(), &locked) == 0 && ::stat(target.c_str(), &named) == 0 &&
            locked.st_dev == named.st_dev && locked.st_ino == named.st_ino) {
            return fd.release();
        }
    }
    return -1;
}

} // namespace

FileProblem replaceFile(const std::string &path, std::string_view bytes) {
    if (FileProblem problem = cannotReplace(path); !problem.empty()) {
        return problem;
    }
    return writeFile(path, linkTarget(path), bytes);
}

FileProblem
rewriteFile(const std::string &path,
            const std::function<std::optional<std::string>(const FileContents &)> &change) {
    if (FileProblem problem = cannotReplace(path); !problem.empty()) {
        return problem;
    }
    const std::string target = linkTarget(path);
    FileProblem problem;
    const Descriptor lock(lockFile(target, problem));
    if (!problem.empty()) {
        return problem;
    }
    FileContents contents;
    if (lock.get() >= 0) {
        readOpenFile(lock.get(), path, contents);
    } else {
        contents = readRegularFile(target);
    }
    if (contents.status == FileContents::Status::Refused) {
        return contents.problem;
    }
    const std::optional<std::string> bytes = change(contents);
    return bytes ? writeFile(path, target, *bytes) : FileProblem();
}

int openForAppend(const std::string &path, FileProblem &problem) {
    problem = notARegularFile(path);
    if (!problem.empty()) {
        return -1;
    }
    Descriptor fd(::open(path.c_str(),
                         O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0644));
    if (fd.get() < 0) {
        problem = refusal(path, Cause::CannotOpenForWriting, systemError(errno));
        return -1;
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        problem = refusal(path, kindOf(status.st_mode));
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
