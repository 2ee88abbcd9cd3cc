// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace ostrelo::core {

/// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates).
bool isValidUtf8(std::string_view bytes);

/// UTF-8 text of Windows-1252 bytes, one character per byte; NUL bytes stay NUL characters.
/// The five bytes that code page leaves undefined map to the C1 control of the same value.
std::string fromWindows1252(std::string_view bytes);

/// Windows-1252 bytes of UTF-8 text, one byte per character; a character that the code page
/// cannot hold becomes "?".
std::string toWindows1252(std::string_view utf8);

/// UTF-8 text of UTF-16 bytes (without their byte-order mark), little- or big-endian;
/// nullopt for an odd number of bytes or a surrogate without its pair.
std::optional<std::string> fromUtf16(std::string_view bytes, bool bigEndian);

/// UTF-16 bytes, little- or big-endian and without a byte-order mark, of UTF-8 text.
std::string toUtf16(std::string_view utf8, bool bigEndian);

/// Number of characters (code points) in UTF-8 text.
std::size_t characterCount(std::string_view utf8);

/// The first `count` characters of UTF-8 text (all of it when shorter).
std::string_view leftCharacters(std::string_view utf8, std::size_t count);

/// `count` characters of UTF-8 text starting at character `first` (0-based).
std::string_view midCharacters(std::string_view utf8, std::size_t first, std::size_t count);

} // namespace ostrelo::core
