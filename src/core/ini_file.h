// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace ostrelo::core {

/// Longest value, in characters, that `ReadIni` returns.
inline constexpr std::size_t kMaxIniValueLength = 254;

/// The value of `key` in `section` of the INI file at `path`, at most 254 characters.
/// A missing file, section or key, or an empty value, gives `defaultValue`, and an empty
/// `defaultValue` gives "-1"; so does a file that cannot be read or decoded (see
/// `settingsFileProblem`). The file is read as UTF-16 after its byte-order mark, else as
/// UTF-8, else as Windows-1252. Never fails.
std::string ReadIni(const std::string &path, std::string_view section, std::string_view key,
                    std::string_view defaultValue);

/// Stores `value` under `key` in `section` of the INI file at `path`, creating the file, the
/// section and the key as needed and keeping every other line and its line ending. The file
/// keeps its encoding. The new text goes to a temporary file in the same folder that then
/// replaces the old one, so a failed write leaves the old file whole; a file whose text does
/// not change is not touched. A file that cannot be read or decoded, that is not a regular
/// file, or that the user may not replace is never written. A write that fails is kept and
/// made again with the next write to the same file or by `flushIniWrites`; the first failure
/// is reported once under "WriteIni". Returns false when the file could not be written.
bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::string &path);

/// Makes the writes to `path` that failed so far, if any. Returns true when none is left.
bool flushIniWrites(const std::string &path);

/// Why settings in the file at `path` cannot be kept: it cannot be read or decoded, or this
/// user may not replace it. Empty when it can (a missing file in a writable folder can).
std::string settingsFileProblem(const std::string &path);

} // namespace ostrelo::core
