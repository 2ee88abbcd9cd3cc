// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <string>

namespace ostrelo::testing {

/// A locale whose decimal separator is a comma (German), by the name this system's C library
/// knows it under.
#ifdef _WIN32
inline constexpr const char *kCommaLocale = "German_Germany.1252";
#else
inline constexpr const char *kCommaLocale = "de_DE.UTF-8";
#endif

/// The start of an absolute path on this system.
#ifdef _WIN32
inline constexpr const char *kRoot = "C:\\";
#else
inline constexpr const char *kRoot = "/";
#endif

/// `path`, written with "/", as this system writes it: with "\" on Windows.
inline std::string native(std::string path) {
#ifdef _WIN32
    std::replace(path.begin(), path.end(), '/', '\\');
#endif
    return path;
}

} // namespace ostrelo::testing
