// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace ostrelo::core {

/// True when `text` is an IPv4 address in the fixed form "XXX.XXX.XXX.XXX": 15 characters,
/// four groups of three characters, each a number from 0 to 255 (blanks around the digits
/// allowed, so " 12" reads as 12), separated by "." at characters 4, 8 and 12. A group that
/// is not a number is reported under "Valid_IP" and makes the address invalid.
bool Valid_IP(std::string_view text);

/// True when `text` is empty (listen on every address) or an IPv4 address written as four
/// numbers from 0 to 255 separated by dots ("192.168.1.20"; leading zeros allowed).
bool isListenAddress(std::string_view text);

/// A listen address without leading zeros ("192.168.001.020" gives "192.168.1.20"); `text`
/// must be one.
std::string plainListenAddress(std::string_view text);

/// The address to connect to for a stored `IP`: each three-character group read as a number
/// and written without leading zeros, so "192.168.000.002" gives "192.168.0.2".
std::string RemoteAddress(std::string_view ip);

} // namespace ostrelo::core
