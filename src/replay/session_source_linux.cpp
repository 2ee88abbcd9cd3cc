// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/regular_file.h"
#include "replay/session_source.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ostrelo::replay {
namespace {

class FileSource : public SessionSource {
public:
    FileSource(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
    ~FileSource() override { ::close(m_fd); }
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    std::size_t read(std::uint64_t offset, char *into, std::size_t size) override {
        std::size_t count = 0;
        // Nothing past the end the file had when it was opened: a file that grows meanwhile
        // (a recording still under way) plays as it was.
        const std::uint64_t wanted =
            offset < m_size ? std::min<std::uint64_t>(size, m_size - offset) : 0;
        while (count < wanted) {
            const ssize_t got =
                ::pread(m_fd, into + count, wanted - count, static_cast<off_t>(offset + count));
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0) {
                break;
            }
            count += static_cast<std::size_t>(got);
        }
        return count;
    }

private:
    int m_fd;
    std::uint64_t m_size;
};

} // namespace

std::unique_ptr<SessionSource> openSessionFile(const std::string &path,
                                               core::FileProblem &problem) {
    problem = core::notARegularFile(path);
    if (!problem.empty()) {
        return nullptr;
    }
    // O_NONBLOCK: should the name become a FIFO after the check, the open still returns.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        problem = {errno == ENOENT ? core::FileProblem::Cause::Missing
                                   : core::FileProblem::Cause::CannotRead,
                   path,
                   {},
                   errno == ENOENT ? std::string() : std::strerror(errno)};
        return nullptr;
    }
    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        problem = {core::FileProblem::Cause::NotRegular, path, {}, {}};
        return nullptr;
    }
    return std::make_unique<FileSource>(fd, static_cast<std::uint64_t>(status.st_size));
}

} // namespace ostrelo::replay
