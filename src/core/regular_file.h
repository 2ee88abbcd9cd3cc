// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ostrelo::core {

/// What reading a whole file found.
struct FileContents {
    enum class Status { Read, Missing, Refused };
    Status status = Status::Missing;
    std::string bytes;
    /// Why the file was refused, for a person; empty otherwise.
    std::string problem;
};

/// Reads the whole file at `path`. Only a regular file (or a link to one) is read, and the
/// open never blocks, so a FIFO or a device is refused, never waited on. Never fails.
FileContents readRegularFile(const std::string &path);

/// Why `path` cannot serve as a regular file: it names a folder, a FIFO, a device or a
/// socket, or its check fails (a loop of links, a name too long, a folder that cannot be
/// searched). Empty when it is a regular file or does not exist yet. Never fails.
std::string notARegularFile(const std::string &path);

/// Why the running user may not replace the file at `path` through a new file in its
/// folder: the file or its folder is not writable for this user (as access(2) decides, not
/// the mode bits), or `path` is not a regular file. Empty when it may. Never fails.
std::string cannotReplace(const std::string &path);

/// Replaces the file at `path` with `bytes`: they go to a new file in the same folder, which
/// is flushed to disk and renamed over the old one, and the folder is flushed after; an
/// existing file's permissions are kept. Returns an empty text, or why it failed (the old
/// file is then untouched). Never fails.
std::string replaceFile(const std::string &path, std::string_view bytes);

/// Writes all of `bytes` to `fd`, going on after interruptions and short writes. Returns 0,
/// or the error that stopped it (ENOSPC for a write that took nothing); the bytes written
/// before it stay written.
int writeAll(int fd, std::string_view bytes);

/// A file descriptor opened for appending to a regular file, created with mode 0644 when
/// missing; -1 with `problem` set when it cannot be. The open never blocks.
int openForAppend(const std::string &path, std::string &problem);

/// The size of the file open as `fd`, which is also where the next append goes; -1 when it
/// cannot be told.
std::int64_t endOfFile(int fd);

/// Cuts the file open as `fd` back to `size` bytes. Returns 0, or the error that stopped it.
int truncateFile(int fd, std::int64_t size);

/// Closes `fd`.
void closeFile(int fd);

} // namespace ostrelo::core
