// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ostrelo::core {

/// The path named by the UTF-8 text `utf8`, the same on every system. Every path the program
/// builds from its own texts goes through here: std::filesystem reads a plain string in the
/// ANSI code page on Windows, which garbles any letter beyond ASCII. Never fails.
std::filesystem::path pathFromUtf8(std::string_view utf8);

/// The UTF-8 text of `path`, the same on every system. Never fails.
std::string utf8FromPath(const std::filesystem::path &path);

} // namespace ostrelo::core
