#pragma once

#include <string>
#include <string_view>

namespace ostrelo::core {

/// Longest value, in characters, that `ReadIni` returns.
inline constexpr std::size_t kMaxIniValueLength = 254;

/// The value of `key` in `section` of the INI file at `path`, at most 254 characters.
/// A missing file, section or key, or an empty value, gives `defaultValue`, and an empty
/// `defaultValue` gives "-1". Never fails.
std::string ReadIni(const std::string &path, std::string_view section, std::string_view key,
                    std::string_view defaultValue);

/// Stores `value` under `key` in `section` of the INI file at `path`, creating the file, the
/// section and the key as needed and keeping every other line. The file keeps its encoding
/// (UTF-8, or Windows-1252 for a file brought over from Windows). The new text goes to a
/// temporary file in the same folder that then replaces the old one, so a failed write leaves
/// the old file whole. A write that fails (a read-only file, a full disk) is kept and made
/// again with the next write to the same file or by `flushIniWrites`. Returns false when
/// the file could not be written.
bool WriteIni(std::string_view section, std::string_view key, std::string_view value,
              const std::string &path);

/// Makes the writes to `path` that failed so far, if any. Returns true when none is left.
bool flushIniWrites(const std::string &path);

} // namespace ostrelo::core
