// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/file_problem.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace ostrelo::core {

/// What reading a whole file found.
struct FileContents {
    enum class Status { Read, Missing, Refused };
    Status status = Status::Missing;
    std::string bytes;
    /// Why the file was refused; empty otherwise.
    FileProblem problem;
};

/// Reads the whole file at `path`. Only a regular file (or a link to one) is read, and the
/// open never blocks, so a FIFO or a device is refused, never waited on. Never fails.
FileContents readRegularFile(const std::string &path);

/// Why `path` cannot serve as a regular file: it names a folder, a FIFO, a device or a
/// socket, or its check fails (a loop of links, a name too long, a folder that cannot be
/// searched). Empty when it is a regular file or does not exist yet. Never fails.
FileProblem notARegularFile(const std::string &path);

/// Why the running user may not write the file at `path` as `replaceFile` does: the file is
/// not writable for this user (as access(2) decides, not the mode bits), nor its folder when
/// the file goes through a new one, `path` is not a regular file, or it is a symbolic link
/// into a folder that does not exist. Empty when it may. Never fails.
FileProblem cannotReplace(const std::string &path);

/// Replaces the file at `path` with `bytes`. A symbolic link is never replaced: the file it
/// leads to is written, made when missing. The bytes go to a new file in the same folder that
/// takes over the old one's owner, group and mode, is flushed to disk and renamed over it, and
/// the folder is flushed after; a new file the administrator makes belongs to its folder's
/// owner. Where the new file cannot take the owner over (another user's file this user may
/// write) or the file has other hard links, the bytes are written into the file itself.
/// Returns nothing, or why it failed (a replaced file is then untouched). Never fails.
FileProblem replaceFile(const std::string &path, std::string_view bytes);

/// Rewrites the file at `path` from what it holds now, as `replaceFile` writes: `change` gets
/// the present contents and returns the new bytes, or nullopt to leave the file as it is.
/// Another copy of the program that rewrites the same file waits meanwhile, so that neither
/// writes over what the other has just written. Returns nothing, or why it failed. Never
/// fails.
FileProblem
rewriteFile(const std::string &path,
            const std::function<std::optional<std::string>(const FileContents &)> &change);

/// Writes all of `bytes` to `fd`, going on after interruptions and short writes. Returns 0,
/// or the error that stopped it (ENOSPC for a write that took nothing); the bytes written
/// before it stay written.
int writeAll(int fd, std::string_view bytes);

/// A file descriptor opened for appending to a regular file, created with mode 0644 when
/// missing; -1 with `problem` set when it cannot be. The open never blocks.
int openForAppend(const std::string &path, FileProblem &problem);

/// The size of the file open as `fd`, which is also where the next append goes; -1 when it
/// cannot be told.
std::int64_t endOfFile(int fd);

/// Cuts the file open as `fd` back to `size` bytes. Returns 0, or the error that stopped it.
int truncateFile(int fd, std::int64_t size);

/// Closes `fd`.
void closeFile(int fd);

} // namespace ostrelo::core
