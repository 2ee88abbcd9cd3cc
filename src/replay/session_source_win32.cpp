// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/regular_file.h"
#include "core/text_encoding.h"
#include "replay/session_source.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>

namespace ostrelo::replay {
namespace {

std::wstring widePath(const std::string &path) {
    const std::string bytes = core::toUtf16(path, false);
    std::wstring wide(bytes.size() / 2, L'\0');
    std::memcpy(wide.data(), bytes.data(), wide.size() * 2);
    return wide;
}

class FileSource : public SessionSource {
public:
    FileSource(int fd, std::uint64_t size) : m_fd(fd), m_size(size) {}
    ~FileSource() override { ::_close(m_fd); }
    FileSource(const FileSource &) = delete;
    FileSource &operator=(const FileSource &) = delete;

    std::size_t read(std::uint64_t offset, char *into, std::size_t size) override {
        // Nothing past the end the file had when it was opened: a file that grows meanwhile
        // (a recording still under way) plays as it was.
        const std::uint64_t wanted =
            offset < m_size ? std::min<std::uint64_t>(size, m_size - offset) : 0;
        if (wanted == 0 || ::_lseeki64(m_fd, static_cast<__int64>(offset), SEEK_SET) < 0) {
            return 0;
        }
        std::size_t count = 0;
        while (count < wanted) {
            const auto piece =
                static_cast<unsigned>(std::min<std::uint64_t>(wanted - count, INT_MAX));
            const int got = ::_read(m_fd, into + count, piece);
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
    const int fd = ::_wopen(widePath(path).c_str(), _O_RDONLY | _O_BINARY);
    if (fd < 0) {
        problem = {errno == ENOENT ? core::FileProblem::Cause::Missing
                                   : core::FileProblem::Cause::CannotRead,
                   path,
                   {},
                   errno == ENOENT ? std::string() : std::strerror(errno)};
        return nullptr;
    }
    struct _stat64 status {};
    if (::_fstat64(fd, &status) != 0 || (status.st_mode & _S_IFREG) == 0) {
        ::_close(fd);
        problem = {core::FileProblem::Cause::NotRegular, path, {}, {}};
        return nullptr;
    }
    return std::make_unique<FileSource>(fd, static_cast<std::uint64_t>(status.st_size));
}

} // namespace ostrelo::replay
