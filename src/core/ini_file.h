// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace ostrelo::core {

/// Longest value, in characters, that `ReadIni` returns.
inline constexpr std::size_t kMaxIniValueLength = 254;

/// The value of `key` in `section` of the INI file at `path`, at most 254 characters.
/// A missing file, section or key, or an empty value, gives `defaultValue`, and an empty
/// `defaultValue` gives "-1"; so does a file that cannot be read or decoded. The file is read
/// as UTF-16 after its byte-order mark, else as UTF-8, else as Windows-1252. Never fails.
std::string ReadIni(const std::string &path, std::string_view section, std::string_view key,
                    std::string_view defaultValue);

/// The same rules on a parsed document.
class IniDocument;
std::string ReadIni(const IniDocument &document, std::string_view section, std::string_view key,
                    std::string_view defaultValue);

} // namespace ostrelo::core
