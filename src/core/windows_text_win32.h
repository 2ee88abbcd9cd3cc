// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace ostrelo::core {

/// The UTF-16 text that Windows' wide calls take, of UTF-8 text. Never fails: bytes that are
/// not UTF-8 become U+FFFD.
std::wstring wideFromUtf8(std::string_view utf8);

/// The UTF-8 text of UTF-16 text from Windows. Never fails.
std::string utf8FromWide(std::wstring_view wide);

/// Windows' own words for the error code `error` (as GetLastError gives it), in the language
/// of the system, without the closing full stop; "error N" when Windows has none.
std::string systemMessage(unsigned long error);

} // namespace ostrelo::core
