// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/file_problem.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace ostrelo::replay {

/// Where a session file is read from, a piece at a time, so that a file of any size is read
/// with the same memory.
class SessionSource {
public:
    virtual ~SessionSource() = default;

    /// Copies up to `size` bytes from `offset` into `into` and returns how many: fewer only at
    /// the end of the file, or where it cannot be read. Never fails.
    virtual std::size_t read(std::uint64_t offset, char *into, std::size_t size) = 0;
};

/// A session file held in memory.
class BytesSource : public SessionSource {
public:
    /// Keeps `bytes`.
    explicit BytesSource(std::string bytes) : m_bytes(std::move(bytes)), m_view(m_bytes) {}
    /// Reads `bytes` where they are: they must outlive the source.
    explicit BytesSource(std::string_view bytes) : m_view(bytes) {}
    BytesSource(const BytesSource &) = delete;
    BytesSource &operator=(const BytesSource &) = delete;

    std::size_t read(std::uint64_t offset, char *into, std::size_t size) override;

private:
    std::string m_bytes;
    std::string_view m_view;
};

/// Opens the session file at `path` to be read in pieces, as long as the file was when it was
/// opened. Only a regular file (or a link to one) is opened, and the open never blocks; none,
/// with `problem` saying why, when it cannot be opened.
std::unique_ptr<SessionSource> openSessionFile(const std::string &path, core::FileProblem &problem);

} // namespace ostrelo::replay
